#!/usr/bin/env bash
# Times gridpane.xsl under xsltproc on catalogues of generated repositories
# against a floor stylesheet that writes the same cells without grouping,
# sorting, row spans or trimming (bench/gridpane_floor.xsl).
#
#   scripts/bench_gridpane.sh [CASES...]
#       default: 1000 10000 heavy:10000 heavy:40000
#
# A case is a package count, for a repository of bench/gen_repo.py's
# default shape, or heavy:COUNT for its output-heavy shape (many models per
# printer INF, long driver texts). Repositories live in BENCH_DATA (default
# /tmp/infbench, shared with scripts/bench.sh: same generator, seed and
# names) and are made again only when the generator, seed, shape or count
# changes. Page and floor run in turn, BENCH_REPS times each (default 5);
# the report gives the medians of xsltproc's "Applying stylesheet" time and
# of its peak RSS, as wait4 reports it (bench/run_measured.cc).
# BENCH_STYLESHEET measures another copy of the stylesheet.
#
#   scripts/bench_gridpane.sh --page [CASES...]
#       default: 10000 heavy:10000
#
# times gridpane.html instead, in Chromium and in Firefox ESR (bench/page.mjs),
# against the same browser loading the static page that xsltproc makes
# with gridpane.xsl from the same catalogue: until the grid is complete,
# until its first rows are painted, and the slowest answer of the filter
# to a key. Medians of BENCH_REPS runs (default here 3), page and floor in
# turn. Needs what scripts/setup.sh installs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
data=${BENCH_DATA:-/tmp/infbench}
reps=${BENCH_REPS:-5}
seed=20110305
page_xsl=${BENCH_STYLESHEET:-$root/infsurvey/gridpane.xsl}
floor_xsl=$root/bench/gridpane_floor.xsl
mode=stylesheet
if [ "${1:-}" = --page ]; then
  mode=page
  shift
  reps=${BENCH_REPS:-3}
  [ $# -gt 0 ] || set -- 10000 heavy:10000
fi
if [ $# -eq 0 ]; then set -- 1000 10000 heavy:10000 heavy:40000; fi

for tool in cmake python3 xsltproc; do
  command -v "$tool" >/dev/null || { echo "bench_gridpane: $tool is missing" >&2; exit 1; }
done
cmake --preset linux >/dev/null
cmake --build --preset linux --target infsurvey >/dev/null
tools=$root/build/linux/bench
mkdir -p "$tools" "$data"
"${CXX:-c++}" -std=c++20 -O2 -Wall -Wextra -o "$tools/run_measured" bench/run_measured.cc

# Makes repository `target` of `shape` and `size` unless its stamp says
# it is up to date (the same stamp as scripts/bench.sh's for the default
# shape, so both scripts share those repositories).
generate() {
  local target=$1 shape=$2 size=$3 stamp
  stamp="$(sha256sum bench/gen_repo.py | cut -d' ' -f1) $seed $size"
  [ "$shape" = default ] || stamp="$stamp $shape"
  if [ -e "$target" ] && [ "$(cat "$target.stamp" 2>/dev/null)" = "$stamp" ]; then
    return
  fi
  echo "bench_gridpane: generating $target" >&2
  rm -f "$target.stamp"
  python3 bench/gen_repo.py "$target" "$size" --seed "$seed" --shape "$shape"
  echo "$stamp" >"$target.stamp"
}

# One run of xsltproc with stylesheet $1 on catalogue $2: prints the
# "Applying stylesheet" time in ms and the peak RSS in KiB.
run_once() {
  local measured timing
  timing=$(mktemp)
  measured=$("$tools/run_measured" /dev/null /dev/null \
      "$(command -v xsltproc)" --timing "$1" "$2" 2>"$timing")
  echo "$(sed -n 's/^Applying stylesheet took \([0-9]*\) ms$/\1/p' "$timing")" \
       "$(echo "$measured" | cut -d' ' -f4)"
  rm -f "$timing"
}

median() { sort -n | sed -n "$(((reps + 1) / 2))p"; }

# The page and its floor in each browser, for catalogue $2 of case $1.
bench_page() {
  local floor_page=${2%.xml}.html engine
  xsltproc "$page_xsl" "$2" >"$floor_page"
  for engine in chromium firefox; do
    node bench/page.mjs "$engine" "$2" "$floor_page" "$reps" |
      awk -v c="$1" -v drivers="$(grep -c '<driver ' "$2")" -v load="$(cut -d' ' -f1 /proc/loadavg)" \
        '{ printf "%-13s %-9s %8s %9s %9s %6s %10s %10s %s\n", c, $1, drivers, $2, $3, $4, $5, $6, load }'
  done
}

if [ $mode = page ]; then
  echo "# $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), $(nproc) cores;" \
       "$(chromium --version 2>/dev/null | cut -d' ' -f1-2); $(firefox-esr --version);" \
       "medians of $reps, page and floor in turn; $(date -u +%F)"
  printf '%-13s %-9s %8s %9s %9s %6s %10s %10s %s\n' case browser drivers floor_ms page_ms ratio \
      first_ms filter_ms load
fi

[ $mode = stylesheet ] && echo "# $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
     "$(nproc) cores; xsltproc $(xsltproc --version | sed -n 's/^Using libxml \([0-9]*\), libxslt \([0-9]*\).*/libxml \1, libxslt \2/p');" \
     "medians of $reps, page and floor in turn; $(date -u +%F)"
[ $mode = stylesheet ] && printf '%-13s %8s %10s %8s %8s %6s %12s %12s %s\n' case drivers catalogue_MB \
    page_ms floor_ms ratio page_peak_KiB floor_peak_KiB load
for case in "$@"; do
  case $case in
    heavy:*) shape=heavy size=${case#heavy:} repo=$data/repo-heavy-${case#heavy:} ;;
    *) shape=default size=$case repo=$data/repo-$case ;;
  esac
  generate "$repo" "$shape" "$size"
  catalogue=$data/catalogue-${repo##*/repo-}.xml
  build/linux/infsurvey "$repo/" bench >"$catalogue"
  if [ $mode = page ]; then
    bench_page "$case" "$catalogue"
    continue
  fi
  load=$(cut -d' ' -f1 /proc/loadavg)
  run_once "$page_xsl" "$catalogue" >/dev/null   # warms the cache
  page=() floor=()
  for _ in $(seq "$reps"); do
    page+=("$(run_once "$page_xsl" "$catalogue")")
    floor+=("$(run_once "$floor_xsl" "$catalogue")")
  done
  page_ms=$(printf '%s\n' "${page[@]}" | cut -d' ' -f1 | median)
  floor_ms=$(printf '%s\n' "${floor[@]}" | cut -d' ' -f1 | median)
  page_kib=$(printf '%s\n' "${page[@]}" | cut -d' ' -f2 | median)
  floor_kib=$(printf '%s\n' "${floor[@]}" | cut -d' ' -f2 | median)
  awk -v c="$case" -v drivers="$(grep -c '<driver ' "$catalogue")" \
      -v bytes="$(stat -c %s "$catalogue")" -v page="$page_ms" -v floor="$floor_ms" \
      -v pk="$page_kib" -v fk="$floor_kib" -v load="$load" \
      'BEGIN { printf "%-13s %8s %10.1f %8s %8s %6.2f %12s %12s %s\n",
               c, drivers, bytes / 1048576, page, floor, page / floor, pk, fk, load }'
done
