#!/usr/bin/env bash
# Runs each fuzzer for SECONDS seconds on a copy of its seed corpus, so the
# repository is never written to, and prints the inputs each one executed.
# A crash leaves its input in build/fuzz/findings/ and fails the run.
#   scripts/run-fuzzers.sh SECONDS [FUZZER...]
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:?usage: run-fuzzers.sh SECONDS [FUZZER...]}"
shift
fuzzers=("$@")
[ ${#fuzzers[@]} -eq 0 ] && fuzzers=(fuzz_keystrokes fuzz_registrar fuzz_text fuzz_doc fuzz_office fuzz_lsp)
build="$root/build/fuzz"
status=0
passed=0
failed=0
mkdir -p "$build/findings"
for name in "${fuzzers[@]}"; do
  work="$build/corpus-run/$name"
  rm -rf "$work"
  mkdir -p "$work"
  cp "$root/fuzz/corpus/$name/"* "$work/" 2>/dev/null
  log="$build/$name.log"
  "$build/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$build/findings/$name-" "$work" >"$log" 2>&1
  rc=$?
  units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ $rc -eq 0 ]; then
    echo "$name: ${units:-?} inputs executed in ${seconds} s, no failure"
    passed=$((passed + 1))
  else
    echo "$name: FAILED after ${units:-?} inputs (exit $rc); log $log" >&2
    grep -E -m 20 -A 12 'invariant broken|ERROR: |runtime error' "$log" >&2
    status=1
    failed=$((failed + 1))
  fi
done
echo "fuzzers: $passed passed, $failed failed"
exit $status
