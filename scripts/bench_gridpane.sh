#!/usr/bin/env bash
# Times gridpane.xsl under xsltproc on catalogues of generated repositories
# against a floor stylesheet that writes the same cells without grouping,
# sorting, row spans or trimming (bench/gridpane_floor.xsl).
#
#   scripts/bench_gridpane.sh [SIZES...]     default: 1000 10000
#
# Repositories are the ones scripts/bench.sh makes (same generator and
# seed, in BENCH_DATA, default /tmp/infbench), made here when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
data=${BENCH_DATA:-/tmp/infbench}
reps=${BENCH_REPS:-3}
if [ $# -eq 0 ]; then set -- 1000 10000; fi

cmake --preset linux >/dev/null
cmake --build --preset linux --target infsurvey >/dev/null
mkdir -p "$data"

# Median of the "Applying stylesheet" times of REPS runs, in ms.
apply_ms() {
  for _ in $(seq "$reps"); do
    xsltproc --timing "$1" "$2" 2>&1 >/dev/null |
      sed -n 's/^Applying stylesheet took \([0-9]*\) ms$/\1/p'
  done | sort -n | sed -n "$(((reps + 1) / 2))p"
}

printf '%-8s %9s %12s %10s %10s %6s\n' packages drivers catalogue_MB page_ms floor_ms ratio
for size in "$@"; do
  repo=$data/repo-$size
  [ -d "$repo" ] || python3 bench/gen_repo.py "$repo" "$size" --seed 20110305
  catalogue=$data/catalogue-$size.xml
  build/linux/infsurvey "$repo/" bench >"$catalogue"
  page=$(apply_ms infsurvey/gridpane.xsl "$catalogue")
  floor=$(apply_ms bench/gridpane_floor.xsl "$catalogue")
  awk -v size="$size" -v drivers="$(grep -c '<driver ' "$catalogue")" \
      -v bytes="$(stat -c %s "$catalogue")" -v page="$page" -v floor="$floor" \
      'BEGIN { printf "%-8s %9s %12.1f %10s %10s %6.2f\n",
               size, drivers, bytes / 1048576, page, floor, page / floor }'
done
