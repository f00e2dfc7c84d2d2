#!/usr/bin/env bash
# The wide digests of one 1 GiB file by a Windows build under Wine, read as
# the product reads a file (vantrel_digest_bench: ReadFileOnce and a digest
# sink per kind), beside the tools that write such digest files, on the same
# file in the same run: SHA-512 against sha512sum and openssl dgst -sha512,
# SHA-384 against sha384sum and openssl dgst -sha384, BLAKE2b against b2sum,
# BLAKE3 against b3sum with its own threads and with one, and SHA-512 with
# BLAKE2b in one pass against the slower of sha512sum and b2sum. Ours is timed
# as a whole process less the median of the same process on a 1-byte file
# (Wine's start of a process); the tools as they run. Each figure is the
# median of RUNS runs (default 5), ours and the tool's taken in turn, after a
# warm-up that puts the file in the page cache. Our digests are compared with
# the tools', so a fast wrong one shows. The ratio is our time over the tool's.
# On a loaded machine Wine's start varies by seconds, so the time the bench
# program takes inside the process (from the open to the last digest) is
# printed too.
# Needs a Wine session in the environment (scripts/wine-session.sh).
#   bench/run-digest-bench.sh [vantrel_digest_bench.exe] [FILE]
# Targets: SHA-512 <= 1.0 x sha512sum (aim: openssl); BLAKE2b <= 1.0 x b2sum;
# BLAKE3 <= 1.25 x the faster b3sum (0.8 x its speed); two kinds in one pass
# <= 1.1 x the slower tool.
set -euo pipefail
exe=${1:-build/win64-bench/bench/vantrel_digest_bench.exe}
file=${2:-build/bench/wide-1GiB.bin}
runs=${RUNS:-5}
size=$((1 << 30))
mkdir -p "$(dirname "$file")"
if [ ! -f "$file" ] || [ "$(stat -c %s "$file")" -ne "$size" ]; then
  # The file run-wide-bench.sh makes: a fixed key stream.
  (openssl enc -aes-128-ctr -nosalt -K 000102030405060708090a0b0c0d0e0f -iv 0 </dev/zero 2>/dev/null || true) |
    head -c "$size" >"$file"
fi
file=$(cd "$(dirname "$file")" && pwd)/$(basename "$file")
tiny=$(mktemp /tmp/vantrel-digest-tiny.XXXXXX)
out=$(mktemp /tmp/vantrel-digest-out.XXXXXX)
trap 'rm -f "$tiny" "$out"' EXIT
printf x >"$tiny"
winpath() { echo "Z:${1//\//\\}"; }
cat "$file" >/dev/null # in the page cache for every reader

# Seconds of one run of the command, to the millisecond; its output in $out.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" </dev/null >"$out" 2>&1 || { echo "FAILED: $*" >&2; cat "$out" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN{printf "%.3f\n", e - s}'
}
median() { sort -g | awk '{v[NR] = $1} END{print v[int((NR + 1) / 2)]}'; }
ours() { "${VANTREL_WINE:-wine}" "$exe" "$1" "$(winpath "$2")"; }

# The digest of `kind` in our last output, lower case.
our_hex() { tr -d '\r' <"$out" | awk -v k="$1" '$2 == k {print tolower($1)}'; }
# The first hex word of a tool's output ("hex  file" or "...= hex").
tool_hex() { sed 's/^.*= //' | awk '{print tolower($1); exit}'; }

start_of() { # kinds: the median time of our process on the 1-byte file
  local t=() i
  for ((i = 0; i < runs; i++)); do t+=("$(seconds ours "$1" "$tiny")"); done
  printf '%s\n' "${t[@]}" | median
}

# label kinds target-ratio label1 cmd1 [label2 cmd2]: ours against one or two
# tools, the ratio judged against the faster tool (BLAKE3) or the first.
declare -A tool_time
compare() {
  local label=$1 kinds=$2 goal=$3 l1=$4 c1=$5 l2=${6:-} c2=${7:-}
  local o=() a=() t1=() t2=() i kind expected
  ours "$kinds" "$file" >"$out"
  for kind in ${kinds//+/ }; do
    case $kind in
      sha512) expected=$(sha512sum "$file" | tool_hex) ;;
      sha384) expected=$(openssl dgst -sha384 "$file" | tool_hex) ;;
      blake2b) expected=$(b2sum "$file" | tool_hex) ;;
      blake3) expected=$(b3sum "$file" | tool_hex) ;;
    esac
    [ "$(our_hex "$kind")" = "$expected" ] || { echo "$label: WRONG $kind (ours $(our_hex "$kind"), tool $expected)"; exit 1; }
  done
  local start
  start=$(start_of "$kinds")
  for ((i = 0; i < runs; i++)); do
    o+=("$(seconds ours "$kinds" "$file")")
    a+=("$(tr -d '\r' <"$out" | awk '/^seconds /{print $2}')")
    t1+=("$(seconds bash -c "$c1")")
    [ -z "$c2" ] || t2+=("$(seconds bash -c "$c2")")
  done
  local om am m1 m2=""
  am=$(printf '%s\n' "${a[@]}" | median)
  om=$(printf '%s\n' "${o[@]}" | median)
  om=$(awk -v a="$om" -v b="$start" 'BEGIN{printf "%.3f", a - b}')
  m1=$(printf '%s\n' "${t1[@]}" | median)
  tool_time[$l1]=$m1
  [ -z "$c2" ] || { m2=$(printf '%s\n' "${t2[@]}" | median); tool_time[$l2]=$m2; }
  awk -v l="$label" -v o="$om" -v a="$am" -v s="$start" -v l1="$l1" -v m1="$m1" -v l2="$l2" -v m2="$m2" -v g="$goal" \
    -v b="$size" -v r="$runs" 'BEGIN{
    printf "%-18s ours %6.3f s (%5.2f GB/s, start %.3f s less)  %s %6.3f s  ratio %.2f", l, o, b / o / 1e9, s, l1, m1, o / m1
    ref = m1
    if (l2 != "") {
      printf "   %s %6.3f s  ratio %.2f", l2, m2, o / m2
      if (g != "" && l ~ /BLAKE3/ && m2 < ref) ref = m2
    }
    if (g != "") printf "   (target <= %.2f x %s%s)", g, (ref == m1 ? l1 : l2), (o / ref <= g ? "" : "   ABOVE TARGET")
    printf "\n%-18s ours timed inside the process (the open to the last digest) %6.3f s, ratio %.2f\n", "", a, a / ref
  }'
}

echo "file $file, 1 GiB, $exe, medians of $runs runs, ratio = our time / the tool's"
compare "SHA-512" sha512 1.0 "sha512sum" "sha512sum '$file'" "openssl dgst -sha512" "openssl dgst -sha512 '$file'"
compare "SHA-384" sha384 "" "sha384sum" "sha384sum '$file'" "openssl dgst -sha384" "openssl dgst -sha384 '$file'"
compare "BLAKE2b-512" blake2b 1.0 "b2sum" "b2sum '$file'"
compare "BLAKE3" blake3 1.25 "b3sum" "b3sum '$file'" "b3sum --num-threads 1" "b3sum --num-threads 1 '$file'"
# One pass with two heavy kinds against the slower of their tools alone.
slower=$(awk -v a="${tool_time[sha512sum]}" -v b="${tool_time[b2sum]}" 'BEGIN{print (a > b) ? "sha512sum" : "b2sum"}')
compare "SHA-512+BLAKE2b" sha512+blake2b 1.1 "$slower" "$slower '$file'"
