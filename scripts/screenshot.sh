#!/usr/bin/env bash
# Renders the README's picture of the sample catalogue: infsurvey on
# examples/, shown by gridpane.html opened from disk in headless Chromium
# (scripts/screenshot.mjs). Installs pngquant from Debian's packages when
# missing; scripts/setup.sh brings the browser and its driver.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-doc/gridpane.png}

if ! command -v pngquant >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  scripts/as-root.sh apt-get update -q
  scripts/as-root.sh apt-get install -y -q --no-install-recommends pngquant
fi
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target infsurvey >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/linux/infsurvey examples/driver-repository/ "Sample driver repository" \
  > "$work/catalogue.xml"
node scripts/screenshot.mjs "$work/catalogue.xml" "$work/page.png"
# A palette of 64 colours keeps the picture small and the text sharp.
pngquant --force --strip --output "$out" 64 "$work/page.png"
echo "screenshot: $out ($(stat -c %s "$out") bytes)"
