#!/usr/bin/env bash
# The wide digests of one 1 GiB file, ours (vantrel_bench_kernels --digest,
# one thread, 1 MiB reads) beside the tools that write such digest files:
# sha512sum, openssl dgst -sha512, b2sum, b3sum with its own threads and with
# one. Each command runs 5 times after a warm-up that puts the file in the page
# cache; the median is printed, in seconds and GB/s (10^9 bytes). Our digest
# is compared with the tool's, so a fast wrong one shows.
#
# Usage: bash bench/run-wide-bench.sh BENCH_KERNELS [FILE]
set -euo pipefail
bench=${1:?usage: run-wide-bench.sh BENCH_KERNELS [FILE]}
file=${2:-build/bench/wide-1GiB.bin}
size=$((1 << 30))
if [ ! -f "$file" ] || [ "$(stat -c %s "$file")" -ne "$size" ]; then
  # A fixed key stream: the same file on every machine.
  # (openssl stops on the closed pipe once head has its bytes.)
  (openssl enc -aes-128-ctr -nosalt -K 000102030405060708090a0b0c0d0e0f -iv 0 </dev/zero 2>/dev/null || true) |
    head -c "$size" >"$file"
fi

median() {  # command...: prints the median of 5 timed runs in nanoseconds
  "$@" >/dev/null
  local runs=() t0 t1
  for _ in 1 2 3 4 5; do
    t0=$(date +%s%N)
    "$@" >/dev/null
    t1=$(date +%s%N)
    runs+=($((t1 - t0)))
  done
  printf '%s\n' "${runs[@]}" | sort -n | sed -n 3p
}

row() {  # label command...
  local label=$1
  shift
  local ns
  ns=$(median "$@")
  awk -v l="$label" -v ns="$ns" -v b="$size" 'BEGIN { printf "%-34s %7.3f s %6.2f GB/s\n", l, ns / 1e9, b / ns }'
}

same() {  # label ours theirs
  local a b
  a=$(echo "$2" | cut -d' ' -f1 | tr 'A-F' 'a-f')
  b=$(echo "$3" | sed 's/^.*= //' | cut -d' ' -f1 | tr 'A-F' 'a-f')
  [ "$a" = "$b" ] || echo "$1: WRONG RESULT (ours $a, tool $b)"
}

echo "file $file, 1 GiB, medians of 5 runs"
same SHA-512 "$("$bench" --digest sha512 "$file")" "$(openssl dgst -sha512 -r "$file")"
same BLAKE2b-512 "$("$bench" --digest blake2b "$file")" "$(b2sum "$file")"
same BLAKE3 "$("$bench" --digest blake3 "$file")" "$(b3sum "$file")"
row "SHA-512 sha512sum" sha512sum "$file"
row "SHA-512 openssl dgst -sha512" openssl dgst -sha512 "$file"
row "SHA-512 ours" "$bench" --digest sha512 "$file"
row "BLAKE2b-512 b2sum" b2sum "$file"
row "BLAKE2b-512 ours" "$bench" --digest blake2b "$file"
row "BLAKE3 b3sum ($(nproc) threads)" b3sum "$file"
row "BLAKE3 b3sum --num-threads 1" b3sum --num-threads 1 "$file"
row "BLAKE3 ours (one thread)" "$bench" --digest blake3 "$file"
