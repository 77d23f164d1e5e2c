#!/usr/bin/env bash
# Installs from Debian's packages what this machine lacks for building and
# testing: the Linux toolchain, GoogleTest, the checkers the tests call
# (xmllint, xsltproc, mandoc, man) and what makes and checks the Debian
# package (dpkg-dev, lintian), Chromium, Firefox ESR, WebKitGTK's WebDriver
# (with its MiniBrowser) and the X server it runs on (Xvfb) and Node.js for
# the viewer's browser tests, and their driver library from the npm registry
# (tests/browser, pinned by its lock file), always. With --windows also MinGW-w64 and
# what runs the Windows tests here: the host's own Wine (wine32, from the
# i386 architecture) where this machine runs 32-bit x86 code, otherwise
# what builds and boots the emulated guest (qemu, mmdebstrap).
# WINDOWS_TESTS=host or =guest chooses instead of the machine.
# Becomes root through scripts/as-root.sh (root, or sudo) when it has to
# install something; exits 126 when it cannot.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(cmake g++ make python3 googletest libgtest-dev libxml2-utils xsltproc
          mandoc man-db groff-base clang libclang-rt-dev dpkg-dev lintian locales
          chromium firefox-esr webkit2gtk-driver xvfb xauth fonts-dejavu-core)
# A Node.js installed otherwise (the machine's own) is used as it is.
command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)
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

# The browser driver, as the lock file pins it; never a browser of its own.
browser_driver() {
  local dir=$here/../tests/browser
  [ "$dir/node_modules/.package-lock.json" -nt "$dir/package-lock.json" ] && return
  echo "setup: installing the browser tests' driver library (npm ci)"
  (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
}

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
    missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  browser_driver
  exit 0
fi

if ! "$here/as-root.sh" --check; then
  echo "setup: need root or sudo to install ${missing[*]}" >&2
  exit 126
fi
echo "setup: installing ${missing[*]}"
if [ -n "$foreign" ] && ! dpkg --print-foreign-architectures | grep -qx "$foreign"; then
  "$here/as-root.sh" dpkg --add-architecture "$foreign"
fi
# A mirror caught mid-sync fails one index now and then: try again, and
# go on with the lists there are if it keeps failing (the install says
# whether they are enough).
for attempt in 1 2 3; do
  "$here/as-root.sh" env DEBIAN_FRONTEND=noninteractive apt-get update -q && break
  echo "setup: apt-get update failed (attempt $attempt of 3)" >&2
  [ "$attempt" = 3 ] || sleep 20
done
install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends)
if ! "$here/as-root.sh" "${install[@]}" "${missing[@]}"; then
  # Without one architecture's security index, a library of the other
  # would come from the security suite and its i386 twin from the release:
  # Multi-Arch wants both at one version, so take both from the release.
  [ -n "$foreign" ] || exit 1
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$release" ] || exit 1
  echo "setup: trying again with the packages of $release itself" >&2
  "$here/as-root.sh" "${install[@]}" -t "$release" "${missing[@]}"
fi
browser_driver
