#!/usr/bin/env bash
# Builds the benchmark presets and runs them: the checksum kernels natively
# (and the wide digests of a 1 GiB file beside sha512sum, openssl, b2sum and
# b3sum: bench/run-wide-bench.sh), then for each Windows build this machine can run (scripts/arch.sh; ARCH
# picks one) the kernels under Wine, the whole load in the main window against
# md5sum (bench/run-load-bench.sh) and the console mode against md5sum on many
# small files and one large one (bench/run-console-bench.sh) and the wide
# digests of the 1 GiB file as the product reads it beside the command-line
# tools (bench/run-digest-bench.sh), and /compare of two 1 GiB files against
# cmp (bench/run-compare-bench.sh). Wine runs on a display and prefix of its
# own, stopped again at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
unset MAKELEVEL MAKEFLAGS MFLAGS   # no "Entering directory" lines from the builds under make
JOBS=$(nproc 2>/dev/null || echo 2)
source scripts/arch.sh
arches=$(vantrel_arches)
echo "== Windows builds measured under Wine: $(vantrel_arch_reason)"

cmake --preset bench >/dev/null
cmake --build --preset bench -j "$JOBS"
for arch in $arches; do
  preset=$(vantrel_preset_for "$arch")-bench
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS"
done

echo "== checksum kernels, native"
build/bench/bench/vantrel_bench_kernels
echo "== openssl speed -evp sha1 / sha256, 16 KiB blocks (k = 1000 bytes per second)"
for md in sha1 sha256; do
  openssl speed -evp "$md" -bytes 16384 -seconds 3 2>/dev/null | tail -n 1
done
echo "== wide digests of one 1 GiB file, ours beside the command-line tools"
bash bench/run-wide-bench.sh build/bench/bench/vantrel_bench_kernels

state=
cleanup() { [ -z "$state" ] || bash scripts/wine-session.sh stop "$state"; }
trap cleanup EXIT
for arch in $arches; do
  preset=$(vantrel_preset_for "$arch")-bench
  state=build/wine-bench-session-$arch
  eval "$(VANTREL_ARCH=$arch VANTREL_OWN_DISPLAY=1 bash scripts/wine-session.sh start "$state" </dev/null)"
  echo "== checksum kernels, $preset under Wine"
  "$VANTREL_WINE" "build/$preset/bench/vantrel_bench_kernels.exe" </dev/null
  echo "== whole load, $preset under Wine"
  bash bench/run-load-bench.sh "build/$preset/bench/vantrel_bench_load.exe"
  echo "== console mode, $preset under Wine"
  bash bench/run-console-bench.sh "build/$preset/vantrel.exe"
  echo "== wide digests of one 1 GiB file, $preset under Wine, beside the command-line tools"
  bash bench/run-digest-bench.sh "build/$preset/bench/vantrel_digest_bench.exe" build/bench/wide-1GiB.bin
  echo "== /compare against cmp, $preset under Wine"
  bash bench/run-compare-bench.sh "build/$preset/vantrel.exe"
  bash scripts/wine-session.sh stop "$state"
  state=
done
