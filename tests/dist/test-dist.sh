#!/usr/bin/env bash
# The release archives are reproducible and check themselves: `make dist` in
# the ordinary build folders and again in fresh build folders elsewhere give
# the same zip bytes; each archive holds the four files in their order, its
# exe is of its build's machine, its manifest names that machine's
# architecture, and its SHA256SUMS verifies the exe and the
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
import xml.etree.ElementTree as ET
path, dest, version, machine = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4], 16)

def resource(image, pe, type_id, name_id):
    """The bytes of resource type_id/name_id (first language), or None."""
    sections = struct.unpack_from("<H", image, pe + 6)[0]
    optional = struct.unpack_from("<H", image, pe + 20)[0]
    magic = struct.unpack_from("<H", image, pe + 24)[0]
    directories = pe + 24 + (96 if magic == 0x10B else 112)
    root = struct.unpack_from("<I", image, directories + 2 * 8)[0]  # resource directory
    table = pe + 24 + optional
    def offset(rva):
        for i in range(sections):
            _, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", image, table + 40 * i)
            if vaddr <= rva < vaddr + max(vsize, rawsize):
                return rva - vaddr + rawptr
        raise ValueError("RVA %#x is in no section" % rva)
    base = offset(root)
    def entries(at):
        named, numbered = struct.unpack_from("<HH", image, at + 12)
        for i in range(named + numbered):
            yield struct.unpack_from("<II", image, at + 16 + 8 * i)
    def child(at, wanted):
        for name, target in entries(at):
            if wanted is None or (not name & 0x80000000 and name == wanted):
                return target
        return None
    at = base
    for wanted in (type_id, name_id, None):
        target = child(at, wanted)
        if target is None:
            return None
        at = base + (target & 0x7FFFFFFF)
    rva, size = struct.unpack_from("<II", image, at)
    return image[offset(rva):offset(rva) + size]
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
    # The manifest (RT_MANIFEST 24, id 1) names the image's own architecture:
    # a 64-bit exe that says x86 does not start on Windows ("side-by-side
    # configuration is incorrect").
    manifest = resource(exe, pe, 24, 1)
    if manifest is None:
        sys.exit("dist test: %s has no manifest resource 1" % path)
    ids = ET.fromstring(manifest).findall("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
    arch = {0x14c: "x86", 0x8664: "amd64"}[machine]
    if len(ids) != 1 or ids[0].get("processorArchitecture") != arch:
        sys.exit("dist test: the manifest of %s does not name %s: %s" %
                 (path, arch, [i.attrib for i in ids]))
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
