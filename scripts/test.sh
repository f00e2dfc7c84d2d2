#!/usr/bin/env bash
# Builds both Windows builds and runs every test: the native unit tests (with
# sanitizers; the reader's ring and the parallel reads once more under
# ThreadSanitizer), a short run of the fuzz targets and the release archives'
# reproducibility (tests/dist), then the tests of each build this machine can
# run under the Wine of its word size, on a display and Wine prefix of their
# own, which are stopped again at the end. Where no 32-bit program runs
# (scripts/arch.sh), or with ARCH=x86_64, only the 64-bit build's tests run
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
unset MAKELEVEL MAKEFLAGS MFLAGS   # no "Entering directory" lines from the builds under make
JOBS=$(nproc 2>/dev/null || echo 2)
source scripts/arch.sh
arches=$(vantrel_arches)
echo "== Windows builds tested under Wine: $(vantrel_arch_reason)"

cmake --preset host >/dev/null
cmake --build --preset host -j "$JOBS"
ctest --preset host
cmake --preset host-tsan >/dev/null
cmake --build --preset host-tsan --target vantrel_ring_tests vantrel_parallel_reads_tests -j "$JOBS"
ctest --preset host-tsan
bash fuzz/run.sh 20 fuzz_names fuzz_versiontext fuzz_checksums fuzz_sha fuzz_hashtext fuzz_signature \
  fuzz_versionresource
# The wide digests' targets briefly: their unit tests already walk the block,
# chunk and tree edges on every path.
bash fuzz/run.sh 5 fuzz_sha512 fuzz_blake2b fuzz_blake3
# The signature files' parsers briefly too, in the same short pass.
bash fuzz/run.sh 5 fuzz_sigfiles

for arch in $arches; do
  preset=$(vantrel_preset_for "$arch")
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS"
done
bash tests/dist/test-dist.sh

state=
cleanup() { [ -z "$state" ] || bash scripts/wine-session.sh stop "$state"; }
trap cleanup EXIT
for arch in $arches; do
  preset=$(vantrel_preset_for "$arch")
  echo "== the $preset build's tests under $(vantrel_wine_for "$arch")"
  state=build/wine-session-$preset
  eval "$(VANTREL_ARCH=$arch VANTREL_OWN_DISPLAY=1 bash scripts/wine-session.sh start "$state")"
  ctest --preset "$preset"
  bash scripts/wine-session.sh stop "$state"
  state=
done
