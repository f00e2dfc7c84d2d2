#!/usr/bin/env bash
# Builds both targets and runs every test: the native unit tests (with
# sanitizers; the reader's ring once more under ThreadSanitizer), a short run
# of the fuzz targets and the release archive's reproducibility (tests/dist),
# then the tests of vantrel.exe under Wine on a display and Wine prefix of
# their own, which are stopped again at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=$(nproc 2>/dev/null || echo 2)

cmake --preset host >/dev/null
cmake --build --preset host -j "$JOBS"
ctest --preset host
cmake --preset host-tsan >/dev/null
cmake --build --preset host-tsan --target vantrel_ring_tests -j "$JOBS"
ctest --preset host-tsan
bash fuzz/run.sh 20

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$JOBS"
bash tests/dist/test-dist.sh

state=build/wine-session
cleanup() { bash scripts/wine-session.sh stop "$state"; }
trap cleanup EXIT
eval "$(VANTREL_OWN_DISPLAY=1 bash scripts/wine-session.sh start "$state")"
ctest --preset win32
