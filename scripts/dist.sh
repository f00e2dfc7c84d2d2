#!/usr/bin/env bash
# Builds the release archives dist/vantrel-<version>-win32.zip and
# dist/vantrel-<version>-win64.zip: vantrel.exe of that build, README.txt,
# LICENSE and SHA256SUMS. The same commit gives the same bytes: the exe
# carries no time stamp, and each archive has fixed times, order and
# attributes. The version is the one in base/version.h.
#   scripts/dist.sh            builds in build/win32 and build/win64 (the `make` builds)
#   DIST_BUILD_DIR=dir DIST_OUT_DIR=dir scripts/dist.sh
#                              builds in dir/win32 and dir/win64 (made if missing)
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=$(nproc 2>/dev/null || echo 2)
out=${DIST_OUT_DIR:-dist}

major=$(awk '$2 == "VANTREL_VERSION_MAJOR" {print $3}' base/version.h)
minor=$(awk '$2 == "VANTREL_VERSION_MINOR" {print $3}' base/version.h)
version="$major.$minor"
[[ $version =~ ^[0-9]+\.[0-9]+$ ]] || { echo "no version in base/version.h" >&2; exit 1; }

# The archive's file times: the commit's time, so that one commit always
# gives one archive; a fixed date outside a git checkout.
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 315532800)
mkdir -p "$out"

for pair in win32:i686 win64:x86_64; do
  name=${pair%%:*} arch=${pair#*:}
  if [ -z "${DIST_BUILD_DIR:-}" ]; then
    build=build/$name
    cmake --preset "$name" >/dev/null
  else
    build=$DIST_BUILD_DIR/$name
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
      -DVANTREL_TESTS=OFF >/dev/null
  fi
  cmake --build "$build" --target vantrel -j "$JOBS"

  zip="$out/vantrel-$version-$name.zip"
  python3 - "$build/vantrel.exe" "$zip" "$version" "$stamp" <<'PY'
import hashlib, os, sys, time, zipfile
exe_path, zip_path, version, stamp = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])

def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii")

with open(exe_path, "rb") as f:
    exe = f.read()
with open("docs/README.txt", encoding="ascii") as f:
    readme = crlf(f.read().replace("@VERSION@", version))
with open("LICENSE", encoding="ascii") as f:
    licence = crlf(f.read())
files = [("vantrel.exe", exe), ("README.txt", readme), ("LICENSE", licence)]
sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
files.append(("SHA256SUMS", sums.encode("ascii")))

# Zip times are local DOS times of two-second steps; take the UTC fields so
# that the machine's time zone does not matter.
when = time.gmtime(max(stamp, 315532800))[:6]
with zipfile.ZipFile(zip_path + ".tmp", "w") as z:
    for name, data in files:
        info = zipfile.ZipInfo(name, date_time=when)
        info.create_system = 0            # MS-DOS: no Unix owner or mode bits
        info.external_attr = 0x20         # FILE_ATTRIBUTE_ARCHIVE
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
os.replace(zip_path + ".tmp", zip_path)
PY
  echo "$zip"
done
