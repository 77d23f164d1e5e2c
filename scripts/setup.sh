#!/usr/bin/env bash
# Installs from Debian's packages what this machine lacks for building and
# testing: the Linux toolchain and the checkers the tests call (xmllint,
# xsltproc, mandoc, man) always; with --windows also MinGW-w64 and
# what the Windows test machine needs (qemu and mmdebstrap: this kind of
# machine cannot run 32-bit code itself, so Wine runs in an emulated guest).
set -euo pipefail

packages=(cmake g++ make python3 googletest libxml2-utils xsltproc mandoc man-db groff-base
          clang libclang-rt-14-dev locales)
if [ "${1:-}" = --windows ]; then
  packages+=(g++-mingw-w64-i686 qemu-system-x86 mmdebstrap e2fsprogs)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root to install ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
