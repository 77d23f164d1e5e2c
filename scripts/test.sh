#!/usr/bin/env bash
# Builds and runs every test suite:
#   linux     GoogleTest units, end-to-end tests of the real binaries, the
#             stylesheet, the manual pages and the unpacked .tar.gz
#   sanitize  the same under AddressSanitizer and UndefinedBehaviorSanitizer,
#             with a short run of each fuzz target
#   windows   the static 32-bit Windows build and its .zip, every test
#             under Wine
# With --ci no suite may be skipped: a missing tool is installed or fails
# the run. Without it, a machine that cannot get MinGW-w64 or the Wine
# machine skips the Windows suite and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
ci=false
[ "${1:-}" = --ci ] && ci=true
jobs=$(nproc)

scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$jobs"
cpack --preset linux >/dev/null
ctest --preset linux
echo "== linux suite passed"

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize
echo "== sanitize suite passed"

windows_skipped=""
if scripts/setup.sh --windows; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j"$jobs"
  cpack --preset windows >/dev/null
  # This kind of machine cannot execute 32-bit code, so Wine runs in an
  # emulated x86-64 guest that sees this tree at the same path.
  scripts/winevm/build-image.sh
  scripts/winevm/run.sh --share "$PWD" -- ctest --preset windows
  echo "== windows suite passed"
elif $ci; then
  echo "test: the Windows suite cannot run here" >&2
  exit 1
else
  windows_skipped="could not install MinGW-w64 and the Wine machine"
fi

if [ -n "$windows_skipped" ]; then
  echo
  echo "!! The Windows suite was SKIPPED: $windows_skipped."
  echo "!! Run scripts/test.sh as root (or with sudo) to include it."
fi
