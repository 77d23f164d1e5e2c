#!/usr/bin/env bash
# Builds the four libFuzzer targets with Clang (build/fuzz) and runs each
# for SECONDS_PER_TARGET (default 60), or for RUNS executions, on a scratch
# copy of its seed corpus in tests/fuzz/corpus, which stays as committed.
# Prints the executions of each target; exits non-zero when any target
# crashes or breaks one of its invariants, keeping the input under
# build/fuzz/artifacts.
#
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]
#        scripts/fuzz.sh --runs RUNS [TARGET...]
# A run count is for soak runs (10000000 each before a change to the
# readers lands): the targets then run side by side, one process each, so
# name no more of them than there are cores. FUZZ_BUILD_DIR overrides the
# build folder.
set -euo pipefail

usage() {
  echo "usage: $0 [SECONDS_PER_TARGET] | --runs RUNS [TARGET...]" >&2
  exit 2
}
targets=(inf_fuzzer command_line_fuzzer stdin_fuzzer xml_text_fuzzer)
if [[ ${1:-} == --runs ]]; then
  [[ $# -ge 2 && $2 =~ ^[1-9][0-9]*$ ]] || usage
  limit=(-runs="$2")
  shift 2
  if [[ $# -gt 0 ]]; then
    for target in "$@"; do
      [[ " ${targets[*]} " == *" $target "* ]] || usage
    done
    targets=("$@")
  fi
else
  [[ $# -le 1 && ${1:-60} =~ ^[1-9][0-9]*$ ]] || usage
  limit=(-max_total_time="${1:-60}")
fi

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}

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

# Runs one target on a fresh copy of its seeds; its status is the fuzzer's.
fuzz() {
  local target=$1
  rm -rf "${runs:?}/$target"
  mkdir -p "$runs/$target"
  cp "$root/tests/fuzz/corpus/$target/"* "$runs/$target/"
  "$build/tests/fuzz/$target" "${limit[@]}" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
    "$runs/$target" >"$runs/$target.log" 2>&1
}

# Timed runs take the targets in turn; counted runs, long by nature, take
# one core each.
declare -A pid
for target in "${targets[@]}"; do
  if [[ ${limit[0]} == -runs=* ]]; then
    fuzz "$target" & pid[$target]=$!
  else
    fuzz "$target" && pid[$target]=ok || pid[$target]=failed
  fi
done

status=0
for target in "${targets[@]}"; do
  result=clean
  case ${pid[$target]} in
    ok) ;;
    failed) result=FAILED ;;
    *) wait "${pid[$target]}" || result=FAILED ;;
  esac
  [[ $result == clean ]] || status=1
  log=$runs/$target.log
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
