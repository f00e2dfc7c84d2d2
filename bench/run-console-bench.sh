#!/usr/bin/env bash
# Files per second of the console mode under Wine against md5sum over the
# same files in the same run: 2,000 files of 1 KiB, then one 1 GiB file;
# then /check of that file's SHA256SUMS against sha256sum -c; then the peak
# memory of /csv over 1,000 and over 100,000 files.
# Each figure is the median of RUNS runs (default 3); the console runs write
# their CSV to a file and include Wine's start of the process. Needs a Wine
# session in the environment (scripts/wine-session.sh).
#   bench/run-console-bench.sh [vantrel.exe] [work folder]
# Targets: 2,000 files <= 40 x md5sum's time; 1 GiB <= 1.0 x; the peak
# memory with 100,000 files at most 4 MiB above the one with 1,000.
set -euo pipefail
exe=${1:-build/win32-bench/vantrel.exe}
work=${2:-$(mktemp -d /tmp/vantrel-console-bench.XXXXXX)}
runs=${RUNS:-3}
mkdir -p "$work"
work=$(cd "$work" && pwd)
# Wine ends its desktop process once no window is left, and the next program
# that loads the common controls starts it again (about 0.2 s); on Windows
# the shell's desktop is always there. One window stays open for the run so
# that each console run pays only its own start.
"${VANTREL_WINE:-wine}" notepad </dev/null >/dev/null 2>&1 &
keeper=$!
sleep 2
if [ -z "${2:-}" ]; then
  trap 'kill $keeper 2>/dev/null; rm -rf "$work"' EXIT
else
  trap 'kill $keeper 2>/dev/null; rm -rf "$work/small" "$work/many" "$work/console-1g.bin" "$work/out.csv" "$work/SHA256SUMS"' EXIT
fi
winpath() { echo "Z:${1//\//\\}"; }

# Seconds of one run of the command, to the millisecond.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" </dev/null >/dev/null 2>&1 || { echo "FAILED: $*" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN{printf "%.3f\n", e - s}'
}
median() { sort -n | awk '{v[NR] = $1} END{print v[int((NR + 1) / 2)]}'; }

console() { "${VANTREL_WINE:-wine}" "$exe" /csv "$(winpath "$1")" /out "$(winpath "$work/out.csv")"; }
small_md5sum() { find "$work/small" -type f -print0 | sort -z | xargs -0 md5sum; }

# Compares one set: label, file count, total MiB, path, md5sum command, target ratio.
compare() {
  local label=$1 count=$2 mib=$3 target=$4 reference=$5 goal=$6 c=() m=()
  for ((i = 0; i < runs; i++)); do
    c+=("$(seconds console "$target")")
    m+=("$(seconds "$reference")")
  done
  local ct mt
  ct=$(printf '%s\n' "${c[@]}" | median)
  mt=$(printf '%s\n' "${m[@]}" | median)
  local rows
  rows=$(($(wc -l <"$work/out.csv") - 1))
  [ "$rows" -eq "$count" ] || { echo "WRONG ROW COUNT $rows, expected $count"; exit 1; }
  awk -v l="$label" -v n="$count" -v b="$mib" -v c="$ct" -v m="$mt" -v r="$runs" -v g="$goal" 'BEGIN{
    printf "%s: vantrel /csv %.3f s = %.2f files/s (%.1f MiB/s); md5sum %.3f s = %.2f files/s (%.1f MiB/s)\n",
      l, c, n / c, b / c, m, n / m, b / m
    printf "%s time ratio: %.2f   (target <= %.1f, median of %d)%s\n", l, c / m, g, r, (c / m <= g ? "" : "   ABOVE TARGET")
  }'
}

# Files of 1 KiB, 500 to a folder.
make_small() { # folder count
  python3 - "$1" "$2" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    folder = os.path.join(root, "%03d" % (i // 500))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%06d.bin" % i), "wb") as f:
        f.write(os.urandom(1024))
PY
}

make_small "$work/small" 2000
compare "2000 files of 1 KiB" 2000 1.953125 "$work/small" small_md5sum 40

big="$work/console-1g.bin"
head -c $((1 << 30)) /dev/urandom >"$big"
cat "$big" >/dev/null   # in the page cache for both readers
big_md5sum() { md5sum "$big"; }
compare "1 file of 1 GiB" 1 1024 "$big" big_md5sum 1.0
expected=$(md5sum "$big" | awk '{print toupper($1)}')
grep -q ",$expected," "$work/out.csv" || { echo "WRONG DIGEST (md5sum: $expected)"; exit 1; }

# /check against sha256sum -c: the same checksum file, the file in the page cache.
(cd "$work" && sha256sum console-1g.bin >SHA256SUMS)
vantrel_check() { "${VANTREL_WINE:-wine}" "$exe" /check "$(winpath "$work/SHA256SUMS")"; }
sha256sum_check() { (cd "$work" && sha256sum -c SHA256SUMS); }
c=() m=()
for ((i = 0; i < runs; i++)); do
  c+=("$(seconds vantrel_check)")
  m+=("$(seconds sha256sum_check)")
done
ct=$(printf '%s\n' "${c[@]}" | median)
mt=$(printf '%s\n' "${m[@]}" | median)
awk -v c="$ct" -v m="$mt" -v r="$runs" 'BEGIN{
  printf "1 file of 1 GiB: vantrel /check %.3f s (%.1f MiB/s); sha256sum -c %.3f s (%.1f MiB/s); time ratio %.2f (median of %d)\n",
    c, 1024 / c, m, 1024 / m, c / m, r
}'

# Peak memory (the Wine process's resident set) of /csv over few and over
# many files: reading many files at once holds a few outcomes and the walk's
# open folders, never a list of all files.
peak_kib() { # folder
  /usr/bin/time -f %M "${VANTREL_WINE:-wine}" "$exe" /csv "$(winpath "$1")" /out "$(winpath "$work/out.csv")" \
    </dev/null 2>&1 >/dev/null | tail -n 1
}
rm -rf "$work/small"
make_small "$work/small" 1000
make_small "$work/many" 100000
few=$(peak_kib "$work/small")
many=$(peak_kib "$work/many")
awk -v f="$few" -v m="$many" 'BEGIN{
  d = (m - f) / 1024
  printf "/csv peak memory: 1,000 files %.1f MiB, 100,000 files %.1f MiB, %+.1f MiB   (target <= +4)%s\n",
    f / 1024, m / 1024, d, (d <= 4 ? "" : "   ABOVE TARGET")
}'
