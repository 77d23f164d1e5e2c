#!/usr/bin/env bash
# Builds the four libFuzzer targets with Clang (build/fuzz) and runs each
# for SECONDS_PER_TARGET (default 60) on a scratch copy of its seed corpus
# in tests/fuzz/corpus, which stays as committed. Prints the executions of
# each target; exits non-zero when any target crashes or breaks one of its
# invariants, keeping the input under build/fuzz/artifacts.
#
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]
# FUZZ_BUILD_DIR overrides the build folder.
set -euo pipefail

seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS_PER_TARGET]" >&2
  exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
targets=(inf_fuzzer command_line_fuzzer stdin_fuzzer xml_text_fuzzer)

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DBUILD_FUZZERS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

# A small quarantine and a short malloc fill keep AddressSanitizer's cost
# per input low (the section store allocates about 1 KB per section);
# options already set come later and win.
export ASAN_OPTIONS="quarantine_size_mb=16:max_malloc_fill_size=256${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

runs=$build/runs
artifacts=$build/artifacts
mkdir -p "$artifacts"
status=0
for target in "${targets[@]}"; do
  corpus=$runs/$target
  log=$runs/$target.log
  rm -rf "$corpus"
  mkdir -p "$corpus"
  cp "$root/tests/fuzz/corpus/$target/"* "$corpus/"
  result=clean
  if ! "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
      "$corpus" >"$log" 2>&1; then
    result=FAILED
    status=1
  fi
  # A crash ends the run before the final statistics: take the last status line.
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if [[ -z $executions ]]; then
    executions=$(grep -o '^#[0-9]*' "$log" | tail -n 1 | tr -d '#')
  fi
  printf '%-17s %-6s %12s executions  (log: %s)\n' \
    "$target" "$result" "${executions:-?}" "${log#"$root"/}"
  if [[ $result == FAILED ]]; then
    grep -E 'invariant broken|ERROR: |SUMMARY: |Test unit written' "$log" | head -n 20 || true
  fi
done
exit "$status"
