#!/usr/bin/env bash
# Times a whole load of a 1 GiB file in the real main window under Wine against
# md5sum on the same file in the same run, then weighs the load of a 4 GiB
# sparse file. Needs a Wine session in the environment (scripts/wine-session.sh).
#   bench/run-load-bench.sh [vantrel_bench_load.exe] [work folder]
# Targets: load <= 1.05 x md5sum; peak private memory < 64 MiB above idle.
set -euo pipefail
exe=${1:-build/win32-bench/bench/vantrel_bench_load.exe}
work=${2:-$(mktemp -d /tmp/vantrel-load-bench.XXXXXX)}
mkdir -p "$work"
work=$(cd "$work" && pwd)
trap 'rm -f "$work/load-1g.bin" "$work/sparse-4g.bin" "$work/out.txt"' EXIT
winpath() { echo "Z:${1//\//\\}"; }

big="$work/load-1g.bin"
head -c $((1 << 30)) /dev/urandom >"$big"
cat "$big" >/dev/null   # in the page cache for both readers

best_md5sum() {
  local best=
  for _ in 1 2 3; do
    local s
    s=$( { /usr/bin/time -f %e md5sum "$big" >/dev/null; } 2>&1 )
    if [ -z "$best" ] || awk "BEGIN{exit !($s < $best)}"; then best=$s; fi
  done
  echo "$best"
}

before=$(best_md5sum)
# Through a file: Wine's helper processes inherit the output and outlive the exe.
wine "$exe" load "$(winpath "$big")" 3 </dev/null >"$work/out.txt"
out=$(cat "$work/out.txt")
after=$(best_md5sum)
echo "$out" | grep -v '^seconds '
load=$(echo "$out" | awk '/^seconds /{print $2}')
md5=$(awk "BEGIN{print ($before < $after) ? $before : $after}")
expected=$(md5sum "$big" | awk '{print toupper($1)}')
echo "$out" | grep -q "MD5 $expected" || { echo "WRONG DIGEST (md5sum: $expected)"; exit 1; }
awk -v l="$load" -v m="$md5" 'BEGIN{
  r = l / m
  printf "md5sum 1024 MiB: %.3f s (best of 6, before and after)\n", m
  printf "load / md5sum: %.3f   (target <= 1.05)%s\n", r, (r <= 1.05 ? "" : "   ABOVE TARGET")
}'

sparse="$work/sparse-4g.bin"
truncate -s $(((4 << 30) + 3)) "$sparse"
wine "$exe" memory "$(winpath "$sparse")" </dev/null >"$work/out.txt"
grep -v '^peak_private_mib ' "$work/out.txt"
