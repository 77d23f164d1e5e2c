#!/usr/bin/env bash
# The Windows tests on this machine's own Wine, where it can run them.
#
#   wine-host.sh runs-32-bit          exit 0 if this machine executes 32-bit
#                                     x86 code (a 121-byte static i386 ELF
#                                     program), without Wine
#   wine-host.sh probe BUILD_DIR      exit 0 if the host's Wine runs a tiny
#                                     static 32-bit Windows console program
#                                     (exit code and output checked); else
#                                     prints why on standard output, exit 1
#   wine-host.sh run BUILD_DIR -- COMMAND [ARGS...]
#                                     runs COMMAND (ctest) under the host's
#                                     Wine and exits with its exit code
#
# The Wine prefix is BUILD_DIR/wineprefix, a 32-bit one made once (again
# when Wine's version changes) before any test starts. As in the guest
# (winevm/guest.sh), a persistent wineserver and Wine's session processes
# are started before COMMAND with /dev/null for their standard streams, so
# none of them holds a test's pipes open; wineserver is stopped afterwards.
# The probe program is built with MinGW-w64 into BUILD_DIR/wine-probe.exe.
set -euo pipefail

# Writes "ok\n" with write(2) and ends with exit(42) through int 0x80.
elf32_probe='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
elf32_probe+='\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
elf32_probe+='\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
elf32_probe+='\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'
elf32_probe+='\x00\x80\x04\x08\x79\x00\x00\x00\x79\x00\x00\x00\x05\x00\x00\x00'
elf32_probe+='\x00\x10\x00\x00\xb8\x04\x00\x00\x00\xbb\x01\x00\x00\x00\xb9\x76'
elf32_probe+='\x80\x04\x08\xba\x03\x00\x00\x00\xcd\x80\xb8\x01\x00\x00\x00\xbb'
elf32_probe+='\x2a\x00\x00\x00\xcd\x80\x6f\x6b\x0a'

runs_32_bit() {
  local dir rc=0 out
  dir=$(mktemp -d)
  printf '%b' "$elf32_probe" >"$dir/probe"
  chmod 755 "$dir/probe"
  out=$("$dir/probe" 2>/dev/null) || rc=$?
  rm -rf "$dir"
  [ "$rc" = 42 ] && [ "$out" = ok ]
}

# The environment of every Wine process here. No display: the tests are
# console programs, and Wine's desktop must not appear on a developer's.
wine_environment() {
  export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
  unset DISPLAY WAYLAND_DISPLAY
}

# Makes the prefix unless one made by this Wine is there. mscoree/mshtml
# are disabled so that wineboot does not try to install Mono and Gecko; no
# crash dialog, as nobody could click it away.
make_prefix() {
  local version log
  version="$(wine --version 2>/dev/null) win32"
  [ "$(cat "$prefix/.made-by" 2>/dev/null)" = "$version" ] && return 0
  echo "wine-host: making the Wine prefix $prefix ($version)" >&2
  rm -rf "$prefix"
  mkdir -p "$prefix"
  log=$build/wineprefix.log
  if ! WINEDLLOVERRIDES='mscoree,mshtml=' timeout 600 wineboot --init \
         </dev/null >"$log" 2>&1 ||
     ! timeout 120 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
         /t REG_DWORD /d 0 /f </dev/null >>"$log" 2>&1; then
    timeout 30 wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
    echo "Wine could not make its prefix: $(tail -n 3 "$log" | tr '\n' ' ')"
    return 1
  fi
  timeout 60 wineserver -w || true
  echo "$version" >"$prefix/.made-by"
}

start_services() {
  wineserver -p </dev/null >/dev/null 2>&1
  timeout 120 wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
}

stop_services() {
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  timeout 30 wineserver -w >/dev/null 2>&1 || true
}

probe() {
  local exe=$build/wine-probe.exe out=$build/wine-probe.out rc=0 why=""
  if [ ! -s "$exe" ] || [ "$exe" -ot "$0" ]; then
    mkdir -p "$build"
    if ! printf '#include <cstdio>\nint main() { std::fputs("wine probe ok\\n", stdout); return 42; }\n' |
         i686-w64-mingw32-g++-posix -x c++ -static -o "$exe" - 2>"$out"; then
      echo "MinGW-w64 could not build the probe: $(head -n 3 "$out" | tr '\n' ' ')"
      rm -f "$exe"
      return 1
    fi
  fi
  runs_32_bit || why="; this machine does not execute 32-bit x86 code"
  if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
    echo "Wine is not installed$why"
    return 1
  fi
  wine_environment
  make_prefix || return 1
  start_services
  # A file, not a pipe, for the output: nothing Wine leaves running can
  # then keep this script waiting.
  timeout 120 wine "$exe" </dev/null >"$out" 2>&1 || rc=$?
  stop_services
  if [ "$rc" != 42 ] || ! grep -q '^wine probe ok' "$out"; then
    echo "Wine ran the probe with exit code $rc (not 42) and output:" \
         "$(head -c 200 "$out" | tr '\r\n' '  ')$why"
    return 1
  fi
}

command=${1:-}
case $command in
  runs-32-bit)
    runs_32_bit ;;
  probe)
    [ $# -eq 2 ] || { echo "usage: $0 probe BUILD_DIR" >&2; exit 2; }
    build=$(realpath -m "$2")
    prefix=$build/wineprefix
    probe ;;
  run)
    [ $# -ge 4 ] && [ "$3" = -- ] ||
      { echo "usage: $0 run BUILD_DIR -- COMMAND [ARGS...]" >&2; exit 2; }
    build=$(realpath -m "$2")
    prefix=$build/wineprefix
    shift 3
    wine_environment
    make_prefix >&2
    trap stop_services EXIT
    trap 'exit 130' INT TERM
    start_services
    rc=0
    "$@" || rc=$?
    exit "$rc" ;;
  *)
    echo "usage: $0 runs-32-bit | probe BUILD_DIR | run BUILD_DIR -- COMMAND..." >&2
    exit 2 ;;
esac
