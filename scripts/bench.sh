#!/usr/bin/env bash
# Builds the benchmark presets and runs them: the checksum kernels natively and
# under Wine, then the whole load in the main window under Wine against md5sum
# (bench/run-load-bench.sh), and the console mode against md5sum on many small
# files and one large one (bench/run-console-bench.sh). Wine runs on a display and prefix of its own,
# stopped again at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=$(nproc 2>/dev/null || echo 2)

cmake --preset bench >/dev/null
cmake --build --preset bench -j "$JOBS"
cmake --preset win32-bench >/dev/null
cmake --build --preset win32-bench -j "$JOBS"

echo "== checksum kernels, native"
build/bench/bench/vantrel_bench_kernels
echo "== openssl speed -evp sha1 / sha256, 16 KiB blocks (k = 1000 bytes per second)"
for md in sha1 sha256; do
  openssl speed -evp "$md" -bytes 16384 -seconds 3 2>/dev/null | tail -n 1
done

state=build/wine-bench-session
cleanup() { bash scripts/wine-session.sh stop "$state"; }
trap cleanup EXIT
eval "$(VANTREL_OWN_DISPLAY=1 bash scripts/wine-session.sh start "$state" </dev/null)"

echo "== checksum kernels, 32-bit under Wine"
wine build/win32-bench/bench/vantrel_bench_kernels.exe </dev/null
echo "== whole load under Wine"
bash bench/run-load-bench.sh build/win32-bench/bench/vantrel_bench_load.exe
echo "== console mode under Wine"
bash bench/run-console-bench.sh build/win32-bench/vantrel.exe
