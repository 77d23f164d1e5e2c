#!/usr/bin/env bash
# Renders the README's picture of the sample catalogue: infsurvey on
# examples/, the page from gridpane.xsl, a screenshot by headless Chromium.
# Installs Chromium and pngquant from Debian's packages when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-doc/gridpane.png}

if ! command -v chromium >/dev/null || ! command -v pngquant >/dev/null; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends \
    chromium fonts-dejavu-core pngquant
fi
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target infsurvey >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/linux/infsurvey examples/driver-repository/ "Sample driver repository" \
  > "$work/catalogue.xml"
xsltproc infsurvey/gridpane.xsl "$work/catalogue.xml" > "$work/catalogue.html"
# Chromium wants a writable home and no sandbox when run as root.
HOME=$work chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
  --window-size=1040,690 --screenshot="$work/page.png" \
  "file://$work/catalogue.html" 2>/dev/null
# A palette of 64 colours keeps the picture small and the text sharp.
pngquant --force --strip --output "$out" 64 "$work/page.png"
echo "screenshot: $out ($(stat -c %s "$out") bytes)"
