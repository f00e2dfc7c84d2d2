#!/usr/bin/env bash
# /compare of two identical 1 GiB files against cmp on the same files in the
# same run, with the files in the page cache (warm) and dropped from it before
# each run (cold: posix_fadvise(DONTNEED) through dd's nocache, then sync).
# Vantrel's time is taken less its time on two 1-byte files, which is Wine's
# start of the process; cmp starts natively. Then two 1 GiB files that differ
# in their first block: that compare ends at once whatever the size.
# Each figure is the median of RUNS side-by-side runs (default 5). Needs a
# Wine session in the environment (scripts/wine-session.sh).
#   bench/run-compare-bench.sh [vantrel.exe] [work folder]
# Target: warm and cold <= 1.0 x cmp's time.
set -euo pipefail
exe=${1:-build/win64-bench/vantrel.exe}
work=${2:-$(mktemp -d /tmp/vantrel-compare-bench.XXXXXX)}
runs=${RUNS:-5}
mkdir -p "$work"
work=$(cd "$work" && pwd)
# As in the console bench: one window stays open so that each run pays only
# its own start.
"${VANTREL_WINE:-wine}" notepad </dev/null >/dev/null 2>&1 &
keeper=$!
sleep 2
trap 'kill $keeper 2>/dev/null; rm -f "$work"/cmp-*.bin; [ -n "${2:-}" ] || rmdir "$work" 2>/dev/null || true' EXIT
winpath() { echo "Z:${1//\//\\}"; }

seconds() {  # seconds of one run; exit code 0 or 1 is a verdict, 2 a failure
  local start end rc=0
  start=$(date +%s.%N)
  "$@" </dev/null >/dev/null 2>&1 || rc=$?
  end=$(date +%s.%N)
  [ "$rc" -le 1 ] || { echo "FAILED ($rc): $*" >&2; exit 1; }
  awk -v s="$start" -v e="$end" 'BEGIN{printf "%.3f\n", e - s}'
}
median() { sort -n | awk '{v[NR] = $1} END{print v[int((NR + 1) / 2)]}'; }
drop() { for f in "$@"; do dd if="$f" iflag=nocache count=0 status=none; done; sync; }
vantrel() { "${VANTREL_WINE:-wine}" "$exe" /compare "$(winpath "$1")" "$(winpath "$2")"; }

a=$work/cmp-a.bin b=$work/cmp-b.bin early=$work/cmp-early.bin one=$work/cmp-1a.bin two=$work/cmp-1b.bin
head -c $((1 << 30)) /dev/urandom >"$a"
cp "$a" "$b"
cp "$a" "$early"
printf 'X' | dd of="$early" bs=1 seek=100 conv=notrunc status=none
printf 'a' >"$one"
printf 'a' >"$two"
# The verdicts first: a bench of a wrong answer is no bench.
vantrel "$a" "$b" >/dev/null || { echo "WRONG VERDICT: the same files differ"; exit 1; }
if vantrel "$a" "$early" >/dev/null; then echo "WRONG VERDICT: different files are the same"; exit 1; fi

start_t="" warm_v="" warm_c="" cold_v="" cold_c="" early_v=""
for ((i = 0; i < runs; i++)); do
  start_t+="$(seconds vantrel "$one" "$two")"$'\n'
  warm_v+="$(seconds vantrel "$a" "$b")"$'\n'
  warm_c+="$(seconds cmp "$a" "$b")"$'\n'
  drop "$a" "$b"; cold_v+="$(seconds vantrel "$a" "$b")"$'\n'
  drop "$a" "$b"; cold_c+="$(seconds cmp "$a" "$b")"$'\n'
  early_v+="$(seconds vantrel "$a" "$early")"$'\n'
done
st=$(printf '%s' "$start_t" | median)
report() {  # label, vantrel times, cmp times
  local v c
  v=$(printf '%s' "$2" | median)
  c=$(printf '%s' "$3" | median)
  awk -v l="$1" -v v="$v" -v c="$c" -v s="$st" -v r="$runs" 'BEGIN{
    n = v - s; if (n < 0) n = 0
    printf "%s: vantrel /compare %.3f s - start %.3f s = %.3f s; cmp %.3f s\n", l, v, s, n, c
    printf "%s ratio to cmp: %.2f   (target <= 1.0, median of %d)%s\n", l, n / c, r, (n / c <= 1.0 ? "" : "   ABOVE TARGET")
  }'
}
report "warm 1 GiB" "$warm_v" "$warm_c"
report "cold 1 GiB" "$cold_v" "$cold_c"
awk -v v="$(printf '%s' "$early_v" | median)" -v s="$st" 'BEGIN{
  printf "1 GiB differing at byte 101: %.3f s - start %.3f s = %.3f s\n", v, s, (v - s > 0 ? v - s : 0)
}'
