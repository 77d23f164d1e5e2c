#!/usr/bin/env bash
# Installs from Debian's packages what this machine lacks for building and
# testing: the Linux toolchain, GoogleTest, the checkers the tests call
# (xmllint, xsltproc, mandoc, man) and what makes and checks the Debian
# package (dpkg-dev, lintian), Chromium, Firefox ESR, WebKitGTK's WebDriver
# (with its MiniBrowser) and the X server it runs on (Xvfb) and Node.js for
# the viewer's tests, and from the npm registry their libraries, pinned by
# lock files (the browser driver in tests/browser, StrykerJS and fast-check
# in tests/node), always. With --windows also MinGW-w64 and
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

# The Node libraries of the tests, as their lock files pin them: the
# browser driver (never a browser of its own), and StrykerJS and
# fast-check for the page's core.
node_libraries() {
  local dir
  for dir in browser node; do
    dir=$here/../tests/$dir
    [ "$dir/node_modules/.package-lock.json" -nt "$dir/package-lock.json" ] && continue
    echo "setup: installing the Node libraries of tests/${dir##*/} (npm ci)"
    (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
  done
}

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
    missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  node_libraries
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
  # Multi-Arch wants both at one version. So Wine and what it needs come
  # from the release itself, then the rest as usual where it can.
  [ -n "$foreign" ] || exit 1
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$release" ] || exit 1
  echo "setup: trying again with Wine from $release itself" >&2
  wine_packages=() rest=()
  for package in "${missing[@]}"; do
    case $package in
      wine|wine32:i386) wine_packages+=("$package") ;;
      *) rest+=("$package") ;;
    esac
  done
  "$here/as-root.sh" "${install[@]}" -t "$release" "${wine_packages[@]}"
  if [ ${#rest[@]} -gt 0 ]; then
    "$here/as-root.sh" "${install[@]}" "${rest[@]}" ||
      "$here/as-root.sh" "${install[@]}" -t "$release" "${rest[@]}"
  fi
fi
node_libraries
