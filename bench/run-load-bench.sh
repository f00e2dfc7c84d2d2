#!/usr/bin/env bash
# Times a whole load of a 1 GiB file in the real main window under Wine against
# md5sum on the same file, side by side in the same run: warm (the file in the
# page cache) and cold (the file dropped from the page cache before each run
# with posix_fadvise(DONTNEED), then sync). Then weighs the load of a 4 GiB
# sparse file. Needs a Wine session in the environment (scripts/wine-session.sh).
#   bench/run-load-bench.sh [vantrel_bench_load.exe] [work folder] [rounds]
# Targets (medians): warm load <= 0.88 x md5sum; cold load <= 0.85 x md5sum;
# peak private memory <= 8 MiB above idle.
set -euo pipefail
exe=${1:-build/win32-bench/bench/vantrel_bench_load.exe}
work=${2:-$(mktemp -d /tmp/vantrel-load-bench.XXXXXX)}
rounds=${3:-5}
mkdir -p "$work"
work=$(cd "$work" && pwd)
trap 'rm -f "$work/load-1g.bin" "$work/sparse-4g.bin" "$work/out.txt"' EXIT
winpath() { echo "Z:${1//\//\\}"; }

big="$work/load-1g.bin"
head -c $((1 << 30)) /dev/urandom >"$big"
expected=$(md5sum "$big" | awk '{print toupper($1)}')

drop_cache() {
  # posix_fadvise(POSIX_FADV_DONTNEED) over the whole file, then sync; the
  # first sync makes every page clean, so that none is kept.
  sync
  dd if="$big" iflag=nocache count=0 status=none
  sync
}
time_md5sum() { { /usr/bin/time -f %e md5sum "$big" >/dev/null; } 2>&1; }
time_load() {
  # Through a file: Wine's helper processes inherit the output and outlive the exe.
  "${VANTREL_WINE:-wine}" "$exe" load "$(winpath "$big")" 1 </dev/null >"$work/out.txt"
  grep -q "MD5 $expected" "$work/out.txt" || { echo "WRONG DIGEST (md5sum: $expected)" >&2; cat "$work/out.txt" >&2; exit 1; }
  awk '/^seconds /{print $2}' "$work/out.txt"
}
median() { sort -g | awk '{v[NR]=$1} END{print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

report() {  # name target md5sum-times load-times
  local m l
  m=$(echo "$3" | median)
  l=$(echo "$4" | median)
  awk -v n="$1" -v t="$2" -v m="$m" -v l="$l" -v k="$rounds" 'BEGIN{
    r = l / m
    printf "%s: load %.3f s, md5sum %.3f s (medians of %d side-by-side runs)\n", n, l, m, k
    printf "%s load / md5sum: %.3f   (target <= %.2f)%s\n", n, r, t, (r <= t ? "" : "   ABOVE TARGET")
  }'
}

cat "$big" >/dev/null
warm_m="" warm_l=""
for _ in $(seq "$rounds"); do
  warm_m+="$(time_md5sum)"$'\n'
  warm_l+="$(time_load)"$'\n'
done
report "warm 1024 MiB" 0.88 "$warm_m" "$warm_l"

cold_m="" cold_l=""
for _ in $(seq "$rounds"); do
  drop_cache; cold_m+="$(time_md5sum)"$'\n'
  drop_cache; cold_l+="$(time_load)"$'\n'
done
report "cold 1024 MiB" 0.85 "$cold_m" "$cold_l"

sparse="$work/sparse-4g.bin"
truncate -s $(((4 << 30) + 3)) "$sparse"
"${VANTREL_WINE:-wine}" "$exe" memory "$(winpath "$sparse")" </dev/null >"$work/out.txt"
grep -v '^peak_private_mib ' "$work/out.txt"
