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
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
data=${BENCH_DATA:-/tmp/infbench}
reps=${BENCH_REPS:-5}
seed=20110305
page_xsl=${BENCH_STYLESHEET:-$root/infsurvey/gridpane.xsl}
floor_xsl=$root/bench/gridpane_floor.xsl
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

echo "# $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
     "$(nproc) cores; xsltproc $(xsltproc --version | sed -n 's/^Using libxml \([0-9]*\), libxslt \([0-9]*\).*/libxml \1, libxslt \2/p');" \
     "medians of $reps, page and floor in turn; $(date -u +%F)"
printf '%-13s %8s %10s %8s %8s %6s %12s %12s %s\n' case drivers catalogue_MB \
    page_ms floor_ms ratio page_peak_KiB floor_peak_KiB load
for case in "$@"; do
  case $case in
    heavy:*) shape=heavy size=${case#heavy:} repo=$data/repo-heavy-${case#heavy:} ;;
    *) shape=default size=$case repo=$data/repo-$case ;;
  esac
  generate "$repo" "$shape" "$size"
  catalogue=$data/catalogue-${repo##*/repo-}.xml
  build/linux/infsurvey "$repo/" bench >"$catalogue"
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
