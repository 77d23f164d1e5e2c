#!/usr/bin/env bash
# Builds both tools for Linux and runs them on the samples in examples/:
# the catalogue of the sample driver repository, then a pnpsum dialogue.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" >/dev/null

echo "== build/linux/infsurvey examples/driver-repository/ \"Sample driver repository\""
build/linux/infsurvey examples/driver-repository/ "Sample driver repository"
echo
echo "== build/linux/pnpsum < examples/pnpsum-answers.txt"
build/linux/pnpsum < examples/pnpsum-answers.txt
echo
