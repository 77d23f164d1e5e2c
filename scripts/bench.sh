#!/usr/bin/env bash
# Benchmarks infsurvey and pnpsum against the floor program (bench/floor.cc),
# which does only the file-system work that the same result needs.
#
#   scripts/bench.sh [CASES...]   default: 1000 10000 100000 heavy:10000
#
# A case is a count of package folders in the generator's default shape,
# or heavy:COUNT for its output-heavy shape (many models per printer INF,
# long driver texts); the one case `none` measures pnpsum alone.
#
# Environment:
#   BENCH_DATA    scratch folder for repositories, answers and outputs
#                 (default /tmp/infbench); generated data is kept there and
#                 made again only when its generator, seed or size changes
#   BENCH_REPS    timed runs of each program per case (default 5)
#   BENCH_REPORT  report file (default build/bench/report.txt); the report
#                 is also printed
#   BENCH_PAIRS   answer pairs for pnpsum (default 500000; 0 skips pnpsum)
#   BENCH_INFSURVEY, BENCH_PNPSUM
#                 absolute paths of other builds to measure (default: the
#                 Release build this script makes in build/bench)
#   BENCH_BEFORE  a git revision (say main) whose code is measured in the
#                 same run, in turn with this code and the floor: its
#                 committed files are built in build/bench-before
#
# Needs cmake, a C++20 compiler, python3 and strace.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
data=${BENCH_DATA:-/tmp/infbench}
reps=${BENCH_REPS:-5}
report=${BENCH_REPORT:-$root/build/bench/report.txt}
pairs=${BENCH_PAIRS:-500000}
seed=20110305
build=$root/build/bench
if [ $# -eq 0 ]; then set -- 1000 10000 100000 heavy:10000; fi
if [ "$*" = none ]; then set --; fi

for tool in cmake python3 strace; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing" >&2; exit 1; }
done

echo "bench: building in $build" >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  >"$build.cmake.log" 2>&1 || { cat "$build.cmake.log" >&2; exit 1; }
cmake --build "$build" -j2 --target infsurvey pnpsum >>"$build.cmake.log" 2>&1 \
  || { cat "$build.cmake.log" >&2; exit 1; }
before=()
if [ -n "${BENCH_BEFORE:-}" ]; then
  # The revision's committed files only: no worktree, nothing of this one.
  echo "bench: building $BENCH_BEFORE in $build-before" >&2
  rm -rf "$build-before"
  mkdir -p "$build-before/src"
  git -C "$root" archive "$BENCH_BEFORE" | tar -x -C "$build-before/src"
  cmake -S "$build-before/src" -B "$build-before" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF >"$build-before.cmake.log" 2>&1 \
    || { cat "$build-before.cmake.log" >&2; exit 1; }
  cmake --build "$build-before" -j2 --target infsurvey pnpsum \
    >>"$build-before.cmake.log" 2>&1 || { cat "$build-before.cmake.log" >&2; exit 1; }
  before=(--infsurvey-before "$build-before/infsurvey"
          --pnpsum-before "$build-before/pnpsum")
fi
for program in floor run_measured; do
  "${CXX:-c++}" -std=c++20 -O2 -Wall -Wextra -o "$build/$program" "bench/$program.cc"
done

mkdir -p "$data"

# Makes `target` with the generator unless its stamp (generator text,
# seed, size, and a shape other than the default) is unchanged since the
# last time; scripts/bench_gridpane.sh writes the same stamps.
generate() {
  local target=$1 generator=$2 size=$3 shape=${4:-default}
  local stamp
  stamp="$(sha256sum "$generator" | cut -d' ' -f1) $seed $size"
  [ "$shape" = default ] || stamp="$stamp $shape"
  if [ -e "$target" ] && [ "$(cat "$target.stamp" 2>/dev/null)" = "$stamp" ]; then
    return
  fi
  echo "bench: generating $target" >&2
  rm -f "$target.stamp"
  shape_option=()
  [ "$shape" = default ] || shape_option=(--shape "$shape")
  python3 "$generator" "$target" "$size" --seed "$seed" ${shape_option[@]+"${shape_option[@]}"}
  echo "$stamp" >"$target.stamp"
}

for case in "$@"; do
  case $case in
    heavy:*) generate "$data/repo-heavy-${case#heavy:}" bench/gen_repo.py "${case#heavy:}" heavy ;;
    *) generate "$data/repo-$case" bench/gen_repo.py "$case" ;;
  esac
done
answers=()
if [ "$pairs" -gt 0 ]; then
  generate "$data/answers-$pairs.txt" bench/gen_answers.py "$pairs"
  answers=(--answers "$data/answers-$pairs.txt")
fi

mkdir -p "$(dirname "$report")"
echo "bench: measuring; report in $report" >&2
python3 bench/measure.py --infsurvey "${BENCH_INFSURVEY:-$build/infsurvey}" \
  --pnpsum "${BENCH_PNPSUM:-$build/pnpsum}" \
  --floor "$build/floor" --run-measured "$build/run_measured" \
  ${before[@]+"${before[@]}"} \
  --data "$data" --reps "$reps" ${answers[@]+"${answers[@]}"} "$@" >"$report"
cat "$report"
