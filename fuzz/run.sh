#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS seconds,
# starting from its committed seed corpus. New inputs go to a scratch copy of
# the corpus under build/fuzz/run/, never into fuzz/corpus/. Prints the
# executions of each target; exits non-zero when any target finds a crash or a
# violated property, whose input is kept under build/fuzz/artifacts/<target>/.
#
# Usage: bash fuzz/run.sh SECONDS [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

secs=${1:?usage: bash fuzz/run.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_names fuzz_versiontext fuzz_checksums fuzz_sha fuzz_hashtext fuzz_signature
  fuzz_versionresource fuzz_sha512 fuzz_blake2b fuzz_blake3 fuzz_sigfiles)
JOBS=$(nproc 2>/dev/null || echo 2)
build=build/fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF >/dev/null
cmake --build "$build" -j "$JOBS" --target "${targets[@]}" >/dev/null

failed=0
for t in "${targets[@]}"; do
  work="$build/run/$t"
  artifacts="$build/artifacts/$t"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$artifacts"
  cp fuzz/corpus/"$t"/* "$work/corpus/"
  if [ "$t" = fuzz_signature ]; then
    # Signed images are never committed: the signature tests' script signs
    # fresh ones, and the smaller of them join the seeds.
    bash tests/fixtures/signing/make-signed.sh "$build/signed" >/dev/null
    for f in self trusted sha1 org overlay stamped nested; do
      cp "$build/signed/pe32-$f.exe" "$work/corpus/pe32-$f"
      cp "$build/signed/pe32plus-$f.exe" "$work/corpus/pe32plus-$f"
    done
    # Their signatures alone too: the fuzzer mutates the DER far more easily
    # without an image around it (a timestamp's time, a nested signature).
    for f in trusted stamped nested; do
      osslsigncode extract-signature -in "$build/signed/pe32-$f.exe" -out "$work/corpus/signature-$f" >/dev/null
    done
  fi
  if [ "$t" = fuzz_sigfiles ]; then
    # Signed lists are never committed either: the signed-list tests' script
    # makes fresh keys and signatures, and each pair joins the seeds as
    # key, signature and list.
    lists="$build/signedlists"
    if [ ! -f "$lists/SHA256.sig" ]; then
      rm -rf "$lists" && mkdir -p "$lists"
      bash tests/fixtures/signing/make-signed-lists.sh "$(cd "$lists" && pwd)" >/dev/null 2>&1
    fi
    seed() { { cat "$lists/$1"; printf '\n@@\n'; cat "$lists/$2"; printf '\n@@\n'; cat "$lists/SHA256SUMS"; } >"$work/corpus/$3"; }
    seed release.gpg rsa.sig rsa-binary
    seed ed.asc ed.asc.sig ed-armored
    seed sub.gpg sub.sig subkey
    seed old-expiring.gpg old-after.sig expired
    seed revoked-now.gpg revoked.sig revoked
    seed release.asc rsa.clear rsa-clearsigned
    seed ed.gpg ed.clear ed-clearsigned
    seed mini.pub mini.minisig minisign
    seed signify.pub SHA256.sig signify
  fi
  dict=()
  [ -f "fuzz/$t.dict" ] && dict=("-dict=fuzz/$t.dict")

  status=0
  "$build/fuzz/$t" "$work/corpus" "${dict[@]}" -max_total_time="$secs" \
    -print_final_stats=1 -artifact_prefix="$artifacts/" >"$work/log" 2>&1 || status=$?

  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log" | tail -n 1)
  if [ "$status" -eq 0 ]; then
    echo "$t: ${runs:-?} executions, ${rate:-?} per second, no failure"
  else
    failed=1
    echo "$t: FAILED (exit $status) after ${runs:-?} executions; log $work/log, input in $artifacts/"
    tail -n 40 "$work/log"
  fi
done
exit "$failed"
