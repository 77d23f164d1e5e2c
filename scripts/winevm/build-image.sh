#!/bin/bash
# Build the Debian guest that run.sh boots under qemu-system-x86_64 (TCG).
# Why a whole VM: this host cannot execute 32-bit x86 code, so 32-bit Wine
# only works inside a full-system emulated guest whose kernel has compat mode.
#
# Usage: build-image.sh [CACHE_DIR]     (default: $WINEVM_CACHE or /var/cache/winevm)
# Needs root (apt-get, mmdebstrap): started by another user it runs itself
# again through scripts/as-root.sh (sudo). Skips the work when a finished
# image built by this same script already exists in CACHE_DIR.
# Packages come from this machine's own apt sources (apt-sources.sh tells
# which, and how WINEVM_MIRROR and WINEVM_SECURITY_MIRROR override them).
set -euo pipefail

start=$SECONDS
here=$(cd "$(dirname "$0")" && pwd)
cache=$(realpath -m "${1:-${WINEVM_CACHE:-/var/cache/winevm}}")
prefix=/opt/wineprefix          # the Wine prefix inside the guest (run.sh relies on it)

# The stamp holds this script's hash: editing the script forces a rebuild.
stamp=$(sha256sum "$0" | cut -d' ' -f1)
if [ "$(cat "$cache/done" 2>/dev/null)" = "$stamp" ]; then
    echo "winevm: image in $cache is up to date"
    exit 0
fi
if [ "$(id -u)" != 0 ]; then
    exec "$here/../as-root.sh" env WINEVM_MIRROR="${WINEVM_MIRROR:-}" \
        WINEVM_SECURITY_MIRROR="${WINEVM_SECURITY_MIRROR:-}" \
        http_proxy="${http_proxy:-}" https_proxy="${https_proxy:-}" "$0" "$cache"
fi

# Host tools. --no-install-recommends keeps qemu from pulling in a GUI stack.
need=()
command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
command -v mmdebstrap >/dev/null || need+=(mmdebstrap)
command -v mkfs.ext4 >/dev/null || need+=(e2fsprogs)
if [ ${#need[@]} -gt 0 ]; then
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"
fi

# The host's own sources (with its apt proxy, if it has one): mmdebstrap
# does not read the host's apt configuration by itself.
"$here/apt-sources.sh" bookworm >/dev/null 2>&1 || apt-get update -q
sources=$("$here/apt-sources.sh" bookworm)
mapfile -t sources <<<"$sources"
printf 'winevm: packages from %s\n' "${sources[@]}"
aptopts=()
eval "$(apt-config shell http_proxy Acquire::http::Proxy https_proxy Acquire::https::Proxy)"
for scheme in http https; do
    name=${scheme}_proxy
    [ -z "${!name:-}" ] || aptopts+=("--aptopt=Acquire::$scheme::Proxy \"${!name}\"")
done

mkdir -p "$cache/debs"
rm -f "$cache/done"
root=$cache/rootfs
rm -rf "$root"

# mmdebstrap rather than debootstrap: one apt run resolves amd64 and i386
# (multiarch) together, downloads in parallel, and takes hooks; both are
# Debian's own tools. Downloaded .debs are kept in $cache/debs for reruns.
# Only wine32 (no wine64) is installed: the tests are 32-bit and a pure
# 32-bit Wine starts fewer processes per run. cpack, run by the package
# test, needs make for its preinstall step, which checks that the build is
# up to date and so needs every file the build was configured from (the
# GoogleTest sources among them), and MinGW's binutils for its strip. Docs,
# man pages and translations are not unpacked, to keep the image small.
# initramfs-tools is configured before the kernel is installed so that the
# initrd it builds holds only the few modules needed to mount the root disk.
mmdebstrap --variant=minbase --architectures=amd64,i386 \
    --include=linux-image-amd64,initramfs-tools,zstd,wine,wine32:i386,cmake,python3,libxml2-utils,faketime,libfaketime:i386,binutils-mingw-w64-i686,make,googletest \
    --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-exclude=/usr/share/man/*' \
    --dpkgopt='path-exclude=/usr/share/info/*' --dpkgopt='path-exclude=/usr/share/locale/*' \
    --skip=download/empty --skip=essential/unlink \
    --setup-hook="mkdir -p \"\$1/var/cache/apt/archives\"; cp -a '$cache/debs/.' \"\$1/var/cache/apt/archives/\"" \
    --essential-hook='mkdir -p "$1/etc/initramfs-tools/conf.d"; printf "MODULES=list\nCOMPRESS=zstd\n" > "$1/etc/initramfs-tools/conf.d/winevm"' \
    --essential-hook='mkdir -p "$1/usr/share/initramfs-tools/modules.d"; printf "virtio_pci\nvirtio_blk\next4\n" > "$1/usr/share/initramfs-tools/modules.d/winevm"' \
    --customize-hook="cp -a \"\$1/var/cache/apt/archives/.\" '$cache/debs/'; rm -f '$cache/debs/lock'; rm -rf '$cache/debs/partial'" \
    "${aptopts[@]}" bookworm "$root" "${sources[@]}"
rm -rf "$root"/var/cache/apt/archives/*.deb "$root"/var/lib/apt/lists/*

# Both faketime libraries on the loader path, so LD_PRELOAD=libfaketime.so.1
# (no directory) works for 64-bit tools and for the 32-bit Wine processes.
printf '/usr/lib/x86_64-linux-gnu/faketime\n/usr/lib/i386-linux-gnu/faketime\n' \
    > "$root/etc/ld.so.conf.d/faketime.conf"
chroot "$root" ldconfig

# PID 1 of the guest. It only mounts the per-run control folder shared by
# run.sh and hands over to the guest.sh found there, so the run logic can
# change without rebuilding the image. Any failure reboots = qemu exits.
cat > "$root/sbin/winevm-init" <<'EOF'
#!/bin/sh
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sysfs /sys
mountpoint -q /dev || mount -t devtmpfs devtmpfs /dev
modprobe -a 9pnet_virtio 9p virtio_console
mkdir -p /run/winevm
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 ctl /run/winevm &&
    [ -f /run/winevm/guest.sh ] && exec /bin/bash /run/winevm/guest.sh
echo "winevm-init: no control share" >&2
echo b > /proc/sysrq-trigger
EOF
chmod 755 "$root/sbin/winevm-init"
mkdir -p "$root$prefix"

# Kernel and initrd are booted directly by qemu (-kernel/-initrd), no bootloader.
cp -L "$root/vmlinuz" "$cache/vmlinuz"
cp -L "$root/initrd.img" "$cache/initrd.img"

# ext4 image written straight from the folder: no loop mount needed. Sparse,
# with ~1.5 GiB free for the prefix and test scratch (run.sh discards guest
# writes after each run). Inode tables are initialised now so that the guest
# kernel does not spend emulated CPU time zeroing them in the background.
size_mb=$(( $(du -sm "$root" | cut -f1) + 1536 ))
rm -f "$cache/root.img"
mkfs.ext4 -q -F -L winevm -E lazy_itable_init=0,lazy_journal_init=0 \
    -d "$root" "$cache/root.img" "${size_mb}M"
rm -rf "$root"
echo "winevm: root filesystem done after $((SECONDS - start)) s"

# The Wine prefix is created inside the guest once (32-bit code cannot run
# here). mscoree/mshtml are disabled so wineboot does not try to install
# Mono/Gecko. No crash dialog: nobody could click it away, winedbg only
# prints the backtrace. --persist makes run.sh write into the image itself.
"$here/run.sh" --cache "$cache" --persist -- env WINEDLLOVERRIDES='mscoree,mshtml=' sh -c \
    'wineboot --init && wine reg add "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0 /f'

echo "$stamp" > "$cache/done"
echo "winevm: image ready in $cache ($(du -sh "$cache/root.img" | cut -f1) on disk) after $((SECONDS - start)) s"
