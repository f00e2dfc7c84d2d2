#!/usr/bin/env bash
# The release archive is reproducible and checks itself: `make dist` in the
# ordinary build folder and again in a fresh build folder elsewhere give the
# same zip bytes; the archive holds the four files in their order, and its
# SHA256SUMS verifies the exe and the other files inside.
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d /tmp/vantrel-dist-test.XXXXXX)
trap 'rm -rf "$work"' EXIT

make --no-print-directory dist DIST_OUT_DIR="$work/first" >/dev/null
make --no-print-directory dist DIST_OUT_DIR="$work/second" DIST_BUILD_DIR="$work/build" >/dev/null
first=$(ls "$work"/first/vantrel-*-win32.zip)
second=$(ls "$work"/second/vantrel-*-win32.zip)
fail() { echo "dist test: $*" >&2; exit 1; }
[ "$(basename "$first")" = "$(basename "$second")" ] || fail "names differ: $first $second"
cmp "$first" "$second" || fail "two builds of one commit gave different archives"

version=$(basename "$first" | sed -E 's/^vantrel-(.*)-win32\.zip$/\1/')
grep -q "VANTREL_TITLE" base/version.h || fail "no title macro"
python3 - "$first" "$work/unpacked" "$version" <<'PY' || exit 1
import sys, zipfile
path, dest, version = sys.argv[1:4]
with zipfile.ZipFile(path) as z:
    names = [i.filename for i in z.infolist()]
    want = ["vantrel.exe", "README.txt", "LICENSE", "SHA256SUMS"]
    if names != want:
        sys.exit("dist test: members %s, expected %s" % (names, want))
    if len({i.date_time for i in z.infolist()}) != 1:
        sys.exit("dist test: the members' times differ")
    z.extractall(dest)
    exe = z.read("vantrel.exe")
    # The version resource carries the same version as the archive's name.
    if ("%s.0.0" % version).encode("utf-16-le") not in exe:
        sys.exit("dist test: the exe's version resource lacks %s.0.0" % version)
    if not z.read("README.txt").startswith(("Vantrel %s\r\n" % version).encode()):
        sys.exit("dist test: README.txt does not start with its version")
PY
(cd "$work/unpacked" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
grep -q "vantrel.exe" "$work/unpacked/SHA256SUMS" || fail "SHA256SUMS does not list the exe"
# A changed exe no longer verifies: the check looks at the bytes.
printf 'x' >>"$work/unpacked/vantrel.exe"
! (cd "$work/unpacked" && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1) || fail "a changed exe still verifies"
echo "dist test: passed ($(basename "$first"))"
