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
#       default: fleet:1000 fleet:10000 reader hostile 10000 heavy:10000
#
# times gridpane.html instead, in Chromium, Firefox ESR and WebKitGTK
# (bench/page.mjs; BENCH_ENGINES chooses). A package count (or heavy:COUNT)
# is timed against the same browser loading the static page that xsltproc
# makes with gridpane.xsl from the same catalogue: until the grid is
# complete, until its first rows are painted, and the slowest answer of
# the filter to a key. fleet:N chooses N catalogues of about 5,000 drivers
# at once (bench/gen_fleet.py: one heavy-shaped catalogue, each machine
# lacking 5% of its INF files): progress, first rows, complete, the
# slowest filter key, the coverage view, "missing from", memory per
# 100,000 rows and in all, and the longest stall of the main thread while
# reading. reader: MB/s of the page's reader of infsurvey's form and of
# the browser's XML parser, on 20 catalogues of the 1,000-machine fleet
# and on the catalogue of heavy:10000. hostile: each hostile kind of the
# browser tests at the scale of 200,000, the longest stall of the main
# thread; for 200,000 drivers of one INF file and 200,000 manufacturers
# also complete and the slowest key.
# Medians of BENCH_REPS runs (default here 3), page and floor in turn.
# Needs what scripts/setup.sh installs.
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
  [ $# -gt 0 ] || set -- fleet:1000 fleet:10000 reader hostile 10000 heavy:10000
  engines=${BENCH_ENGINES:-chromium firefox webkit}
fi
engines=${engines:-${BENCH_ENGINES:-chromium firefox}}
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

load() { cut -d' ' -f1 /proc/loadavg; }

# The page and its floor in each browser, for catalogue $2 of case $1.
bench_page() {
  local floor_page=${2%.xml}.html engine
  xsltproc "$page_xsl" "$2" >"$floor_page"
  printf '%-13s %-9s %8s %9s %9s %6s %10s %10s %s\n' case browser drivers floor_ms page_ms ratio \
      first_ms filter_ms load
  for engine in $engines; do
    node bench/page.mjs single "$engine" "$2" "$floor_page" "$reps" |
      awk -v c="$1" -v drivers="$(grep -c '<driver ' "$2")" -v load="$(load)" \
        '{ printf "%-13s %-9s %8s %9s %9s %6s %10s %10s %s\n", c, $1, drivers, $2, $3, $4, $5, $6, load }'
  done
}

# The fleet of $1 machines made from one catalogue of about 5,000 drivers,
# in $data/fleet-$1, made again when its sources change.
make_fleet() {
  local count=$1 base fleet stamp
  generate "$data/repo-heavy-415" heavy 415
  base=$data/catalogue-heavy-415.xml
  build/linux/infsurvey "$data/repo-heavy-415/" fleet >"$base"
  fleet=$data/fleet-$count
  stamp="$(sha256sum bench/gen_fleet.py "$data/repo-heavy-415.stamp" | cut -d' ' -f1 | tr '\n' ' ')$count"
  if [ "$(cat "$fleet.stamp" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$fleet" "$fleet.stamp"
    python3 bench/gen_fleet.py "$base" "$fleet" "$count"
    echo "$stamp" >"$fleet.stamp"
  fi
}

# Case fleet:N: N machines chosen at once.
bench_fleet() {
  local count=${1#fleet:} engine
  make_fleet "$count"
  printf '%-11s %-9s %10s %8s %11s %8s %11s %7s %11s %10s %13s %8s %8s %s\n' case browser catalogues drivers \
      progress_ms first_ms complete_ms key_ms coverage_ms missing_ms MiB_per_100k MiB stall_ms load
  for engine in $engines; do
    node bench/page.mjs fleet "$engine" "$data/fleet-$count" "$reps" |
      awk -v c="$1" -v load="$(load)" '{ printf "%-11s %-9s %10s %8s %11s %8s %11s %7s %11s %10s %13s %8s %8s %s\n",
                                                c, $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, load }'
  done
}

# Case reader: MB/s of the page's own reader and of the browser's parser.
bench_reader() {
  local engine heavy=$data/catalogue-heavy-10000.xml
  make_fleet 1000
  generate "$data/repo-heavy-10000" heavy 10000
  build/linux/infsurvey "$data/repo-heavy-10000/" bench >"$heavy"
  printf '%-16s %-9s %6s %6s %12s %12s %s\n' case browser files MB own_MB_s parser_MB_s load
  for engine in $engines; do
    for files in "fleet-1000 $(ls "$data"/fleet-1000/*.xml | head -20 | tr '\n' ' ')" "heavy:10000 $heavy"; do
      set -- $files
      node bench/page.mjs reader "$engine" "${@:2}" |
        awk -v c="$1" -v load="$(load)" '{ printf "%-16s %-9s %6s %6s %12s %12s %s\n", c, $1, $2, $3, $4, $5, load }'
    done
  done
}

bench_hostile() {
  local engine
  printf '%-9s %-9s %-22s %6s %9s %11s %7s %s\n' case browser catalogue MB stall_ms complete_ms key_ms load
  for engine in $engines; do
    node bench/page.mjs hostile "$engine" "$reps" |
      awk -v load="$(load)" '{ printf "%-9s %-9s %-22s %6s %9s %11s %7s %s\n",
                                      "hostile", $1, $2, $3, $4, $5, $6, load }'
  done
}

if [ $mode = page ]; then
  echo "# $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), $(nproc) cores;" \
       "$(chromium --version 2>/dev/null | cut -d' ' -f1-2); $(firefox-esr --version);" \
       "WebKitGTK $(dpkg-query -W -f='${Version}' libwebkit2gtk-4.1-0 2>/dev/null);" \
       "medians of $reps, page and floor in turn; $(date -u +%F)"
  for case in "$@"; do
    case $case in
      fleet:*) bench_fleet "$case" ;;
      reader) bench_reader ;;
      hostile) bench_hostile ;;
      *) continue ;;
    esac
  done
fi

[ $mode = stylesheet ] && echo "# $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
     "$(nproc) cores; xsltproc $(xsltproc --version | sed -n 's/^Using libxml \([0-9]*\), libxslt \([0-9]*\).*/libxml \1, libxslt \2/p');" \
     "medians of $reps, page and floor in turn; $(date -u +%F)"
[ $mode = stylesheet ] && printf '%-13s %8s %10s %8s %8s %6s %12s %12s %s\n' case drivers catalogue_MB \
    page_ms floor_ms ratio page_peak_KiB floor_peak_KiB load
for case in "$@"; do
  case $case in
    fleet:*|hostile|reader) continue ;;
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
