#!/bin/bash
# Run one command inside the Wine guest built by build-image.sh and exit with
# its exit code. Host folders given with --share appear in the guest at the
# same absolute path (read-write), so paths written by CMake/CTest work there.
#
# Usage: run.sh [--share DIR]... [--env NAME=VALUE]... [--timeout SEC]
#               [--cache DIR] [--persist] -- COMMAND [ARGS...]
#   COMMAND runs in the host's working directory when that is shared, else /.
#   Its stdout/stderr go to run.sh's stdout/stderr; its stdin is run.sh's
#   stdin if that is a regular file, else /dev/null.
#   --timeout  kill the guest after SEC seconds (default 3600), exit 124.
#   Exit 125: the guest broke down before reporting an exit code.
#   --persist  keep the guest's disk writes in the image (image builds only).
# Environment: WINEVM_CACHE (image folder, default /var/cache/winevm),
#   WINEVM_MEM (guest memory, default 2G), WINEVM_SMP (vCPUs, default 1:
#   with 2, each Wine start was 3-6x slower on this 2-core host),
#   WINEVM_QEMU_OPTS / WINEVM_APPEND (extra qemu options / kernel parameters).
# Root is not required, only read access to the image.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=${WINEVM_CACHE:-/var/cache/winevm}
timeout=3600 persist=off shares=() envs=()
while [ $# -gt 0 ]; do
    case $1 in
        --share)   shares+=("$(realpath -s "$2")"); shift 2 ;;
        --env)     envs+=("$2"); shift 2 ;;
        --timeout) timeout=$2; shift 2 ;;
        --cache)   cache=$2; shift 2 ;;
        --persist) persist=on; shift ;;
        --)        shift; break ;;
        *)         echo "run.sh: unknown option $1 (see the header of $0)" >&2; exit 2 ;;
    esac
done
[ $# -gt 0 ] || { echo "run.sh: no command given" >&2; exit 2; }
for f in root.img vmlinuz initrd.img; do
    [ -r "$cache/$f" ] || { echo "run.sh: $cache/$f missing; run build-image.sh" >&2; exit 2; }
done
for s in "${shares[@]}"; do
    [ -d "$s" ] && [ "$s" != / ] || { echo "run.sh: cannot share '$s'" >&2; exit 2; }
done

# Per-run folder: ctl/ is shared with the guest (run parameters in, exit code
# out); the FIFOs and logs stay on the host.
tmp=$(mktemp -d "${TMPDIR:-/tmp}/winevm.XXXXXX")
readers=()
cleanup() {
    [ -n "${qpid:-}" ] && kill -KILL "$qpid" 2>/dev/null || true
    for p in "${readers[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir "$tmp/ctl"
cp "$here/guest.sh" "$tmp/ctl/guest.sh"
array() { printf '%s=(' "$1"; shift; [ $# = 0 ] || printf '%q ' "$@"; printf ')\n'; }
{
    array shares "${shares[@]}"
    array envs "${envs[@]}"
    array cmd "$@"
    printf 'cwd=%q\n' "$PWD"
} > "$tmp/ctl/params"
if [ -f /dev/stdin ]; then cat > "$tmp/ctl/stdin"; fi

# The command's stdout and stderr travel on two virtio-serial ports, apart
# from the serial console that gets the kernel's messages (kept in a log).
# qemu writes the ports into FIFOs that cat copies to our own stdout/stderr,
# whatever those are (pipe, file, terminal).
mkfifo "$tmp/out" "$tmp/err"
cat "$tmp/out" & readers+=($!)
cat "$tmp/err" >&2 & readers+=($!)

args=(
    -nodefaults -no-user-config -display none -no-reboot
    -machine q35 -accel tcg,thread=multi -cpu max,smap=off
    -smp "${WINEVM_SMP:-1}" -m "${WINEVM_MEM:-2G}"
    -kernel "$cache/vmlinuz" -initrd "$cache/initrd.img"
    -append "console=ttyS0 root=/dev/vda rw rootfstype=ext4 init=/sbin/winevm-init quiet loglevel=3 panic=-1 mitigations=off fsck.mode=skip ${WINEVM_APPEND:-}"
    # snapshot=on: guest writes go to a throw-away overlay, so every run starts
    # from the same clean prefix and parallel runs can share one image.
    -drive "file=$cache/root.img,format=raw,if=virtio,snapshot=$([ $persist = on ] && echo off || echo on),cache=unsafe"
    -serial "file:$tmp/console.log"
    -device virtio-rng-pci
    -device virtio-serial-pci
    -chardev "file,id=out,path=$tmp/out" -device virtserialport,chardev=out,name=out
    -chardev "file,id=err,path=$tmp/err" -device virtserialport,chardev=err,name=err
    -virtfs "local,path=$tmp/ctl,mount_tag=ctl,security_model=none"
)
for i in "${!shares[@]}"; do
    args+=(-virtfs "local,path=${shares[i]},mount_tag=s$i,security_model=none,multidevs=remap")
done

args+=(${WINEVM_QEMU_OPTS:-})      # extra qemu options, for experiments
# qemu's own messages go to a log, shown only when something went wrong.
qrc=0
timeout --kill-after=10 "$timeout" qemu-system-x86_64 "${args[@]}" </dev/null >"$tmp/qemu.log" 2>&1 &
qpid=$!
wait "$qpid" || qrc=$?
qpid=
# If qemu died before opening a FIFO, its cat still waits in open(): opening
# the FIFO read-write (never blocks) and closing it releases that cat.
for f in out err; do exec 3<>"$tmp/$f"; exec 3>&-; done
wait "${readers[@]}" 2>/dev/null || true
readers=()

if [ -s "$tmp/ctl/rc" ]; then
    exit "$(cat "$tmp/ctl/rc")"
fi
if [ "$qrc" = 124 ] || [ "$qrc" = 137 ]; then
    echo "run.sh: guest timed out after $timeout s, killed" >&2; rc=124
else
    echo "run.sh: guest ended without an exit code (qemu exit $qrc)" >&2; rc=125
fi
tail -n 30 "$tmp/qemu.log" "$tmp/console.log" >&2 || true
exit $rc
