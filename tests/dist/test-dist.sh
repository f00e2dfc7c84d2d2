#!/usr/bin/env bash
# The release archives are reproducible and check themselves: `make dist` in
# the ordinary build folders and again in fresh build folders elsewhere give
# the same zip bytes; each archive holds the four files in their order, its
# exe is of its build's machine, and its SHA256SUMS verifies the exe and the
# other files inside.
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d /tmp/vantrel-dist-test.XXXXXX)
trap 'rm -rf "$work"' EXIT

make --no-print-directory dist DIST_OUT_DIR="$work/first" >/dev/null
make --no-print-directory dist DIST_OUT_DIR="$work/second" DIST_BUILD_DIR="$work/build" >/dev/null
fail() { echo "dist test: $*" >&2; exit 1; }
grep -q "VANTREL_TITLE" base/version.h || fail "no title macro"

# The PE machine of each build: i386 and AMD64.
for pair in win32:0x14c win64:0x8664; do
  name=${pair%%:*} machine=${pair#*:}
  first=$(ls "$work"/first/vantrel-*-"$name".zip)
  second=$(ls "$work"/second/vantrel-*-"$name".zip)
  [ "$(basename "$first")" = "$(basename "$second")" ] || fail "names differ: $first $second"
  cmp "$first" "$second" || fail "two builds of one commit gave different $name archives"

  version=$(basename "$first" | sed -E "s/^vantrel-(.*)-$name\.zip\$/\1/")
  unpacked="$work/unpacked-$name"
  python3 - "$first" "$unpacked" "$version" "$machine" <<'PY' || exit 1
import struct, sys, zipfile
path, dest, version, machine = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4], 16)
with zipfile.ZipFile(path) as z:
    names = [i.filename for i in z.infolist()]
    want = ["vantrel.exe", "README.txt", "LICENSE", "SHA256SUMS"]
    if names != want:
        sys.exit("dist test: members %s, expected %s" % (names, want))
    if len({i.date_time for i in z.infolist()}) != 1:
        sys.exit("dist test: the members' times differ")
    z.extractall(dest)
    exe = z.read("vantrel.exe")
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    if exe[pe:pe + 4] != b"PE\0\0" or struct.unpack_from("<H", exe, pe + 4)[0] != machine:
        sys.exit("dist test: %s holds no exe for machine %#x" % (path, machine))
    # The version resource carries the same version as the archive's name.
    if ("%s.0.0" % version).encode("utf-16-le") not in exe:
        sys.exit("dist test: the exe's version resource lacks %s.0.0" % version)
    if not z.read("README.txt").startswith(("Vantrel %s\r\n" % version).encode()):
        sys.exit("dist test: README.txt does not start with its version")
PY
  (cd "$unpacked" && sha256sum --quiet -c SHA256SUMS) || fail "$name: SHA256SUMS does not verify"
  grep -q "vantrel.exe" "$unpacked/SHA256SUMS" || fail "$name: SHA256SUMS does not list the exe"
  # A changed exe no longer verifies: the check looks at the bytes.
  printf 'x' >>"$unpacked/vantrel.exe"
  ! (cd "$unpacked" && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1) || fail "$name: a changed exe still verifies"
  echo "dist test: passed ($(basename "$first"))"
done
