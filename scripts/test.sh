#!/usr/bin/env bash
# Builds and runs every test suite:
#   linux     GoogleTest units, end-to-end tests of the real binaries, the
#             stylesheet, the manual pages, the .tar.gz and the .deb
#   sanitize  the same under AddressSanitizer and UndefinedBehaviorSanitizer,
#             with a short run of each fuzz target
#   release   a Release build of the linux and the windows presets, built
#             but not run again: optimisation brings warnings of its own
#   windows   the static 32-bit Windows build and its .zip, every test
#             under Wine: the host's own Wine where it runs a static 32-bit
#             console program, else Wine in an emulated x86-64 guest
# With --ci no suite may be skipped: a missing tool is installed or fails
# the run, and the .deb is installed into this machine (and removed)
# rather than into a scratch root. Without it, a machine that cannot get
# MinGW-w64, a working Wine or the guest skips the Windows suite and says
# so.
#
# Environment: WINDOWS_TESTS=host or =guest runs the Windows suite there
# (default auto: the host's Wine if the probe passes); WINEVM_CACHE and
# the other WINEVM_* variables of scripts/winevm/ apply to the guest.
set -euo pipefail
cd "$(dirname "$0")/.."
ci=false
[ "${1:-}" = --ci ] && ci=true
jobs=$(nproc)
if $ci; then
  export PACKAGE_TEST_INSTALL=system
fi

scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$jobs"
ctest --preset linux
echo "== linux suite passed"

cmake --preset linux-release >/dev/null
cmake --build --preset linux-release -j"$jobs"
echo "== linux Release build passed"

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize
echo "== sanitize suite passed"

# Runs the Windows suite in the guest; exit 126 when the image cannot be
# built for want of root.
windows_in_guest() {
  WINDOWS_TESTS=guest scripts/setup.sh --windows || return
  scripts/winevm/build-image.sh || return
  scripts/winevm/run.sh --share "$PWD" -- ctest --preset windows
}

windows_skipped=""
setup_rc=0
scripts/setup.sh --windows || setup_rc=$?
if [ "$setup_rc" = 0 ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j"$jobs"
  cmake --preset windows-release >/dev/null
  cmake --build --preset windows-release -j"$jobs"
  echo "== windows Release build passed"

  mode=${WINDOWS_TESTS:-auto}
  if [ "$mode" = guest ]; then
    where=guest why="WINDOWS_TESTS=guest asks for it"
  elif why=$(scripts/wine-host.sh probe build/windows); then
    where=host why="it runs a static 32-bit console program"
  elif [ "$mode" = host ]; then
    echo "test: WINDOWS_TESTS=host, but the host's Wine cannot run the tests: $why" >&2
    exit 1
  else
    where=guest why="the host's Wine cannot run the tests: $why"
  fi

  start=$SECONDS
  if [ "$where" = host ]; then
    echo "== windows suite: on the host's Wine, as $why"
    scripts/wine-host.sh run build/windows -- ctest --preset windows
    echo "== windows suite passed on the host's Wine in $((SECONDS - start)) s"
  else
    echo "== windows suite: in the emulated guest, as $why"
    guest_rc=0
    windows_in_guest || guest_rc=$?
    if [ "$guest_rc" = 0 ]; then
      echo "== windows suite passed in the emulated guest in $((SECONDS - start)) s"
    elif [ "$guest_rc" = 126 ] && ! $ci; then
      windows_skipped="the guest needs root or sudo to install its tools and build its image"
    else
      exit "$guest_rc"
    fi
  fi
elif [ "$setup_rc" = 126 ] && ! $ci; then
  windows_skipped="installing MinGW-w64 and Wine (or the guest's tools) needs root or sudo"
else
  echo "test: the Windows suite cannot run here (setup exit $setup_rc)" >&2
  exit 1
fi

if [ -n "$windows_skipped" ]; then
  echo
  echo "!! The Windows suite was SKIPPED: $windows_skipped."
  echo "!! Run scripts/test.sh as root (or with sudo) to include it."
fi
