#!/usr/bin/env bash
# Installs from Debian's packages what this machine lacks for building and
# testing: the Linux toolchain, GoogleTest, the checkers the tests call
# (xmllint, xsltproc, mandoc, man) and what makes and checks the Debian
# package (dpkg-dev, lintian), always. With --windows also MinGW-w64 and
# what runs the Windows tests here: the host's own Wine (wine32, from the
# i386 architecture) where this machine runs 32-bit x86 code, otherwise
# what builds and boots the emulated guest (qemu, mmdebstrap).
# WINDOWS_TESTS=host or =guest chooses instead of the machine.
# Becomes root through scripts/as-root.sh (root, or sudo) when it has to
# install something; exits 126 when it cannot.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(cmake g++ make python3 googletest libgtest-dev libxml2-utils xsltproc
          mandoc man-db groff-base clang libclang-rt-dev dpkg-dev lintian locales)
foreign=""
if [ "${1:-}" = --windows ]; then
  packages+=(g++-mingw-w64-i686)
  path=${WINDOWS_TESTS:-auto}
  if [ "$path" = auto ]; then
    path=guest
    "$here/wine-host.sh" runs-32-bit && path=host
  fi
  case $path in
    # A Wine installed otherwise (not Debian's) is left as it is: the
    # probe in scripts/test.sh says whether it does the job.
    host)  command -v wine >/dev/null || { packages+=(wine wine32:i386); foreign=i386; } ;;
    guest) packages+=(qemu-system-x86 mmdebstrap e2fsprogs) ;;
    *) echo "setup: WINDOWS_TESTS must be host, guest or auto, not '$path'" >&2; exit 2 ;;
  esac
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! "$here/as-root.sh" --check; then
  echo "setup: need root or sudo to install ${missing[*]}" >&2
  exit 126
fi
echo "setup: installing ${missing[*]}"
if [ -n "$foreign" ] && ! dpkg --print-foreign-architectures | grep -qx "$foreign"; then
  "$here/as-root.sh" dpkg --add-architecture "$foreign"
fi
"$here/as-root.sh" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"$here/as-root.sh" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q --no-install-recommends "${missing[@]}"
