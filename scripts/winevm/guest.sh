#!/bin/bash
# Runs INSIDE the guest as PID 1 (started by the image's /sbin/winevm-init
# from the control share /run/winevm that run.sh fills for each run).
# Mounts the shares, starts wineserver, runs the command, reports its exit
# code in /run/winevm/rc and reboots, which makes qemu (-no-reboot) exit.
ctl=/run/winevm
# Read-only remount first so a --persist run leaves a clean ext4 image.
trap 'sync; mount -o remount,ro / 2>/dev/null; echo b > /proc/sysrq-trigger' EXIT
set -u
. "$ctl/params"                       # shares, envs, cwd, cmd

mount -t tmpfs tmpfs /tmp
# Windows programs run directly (./x.exe) go through Wine, as with Debian's
# wine-binfmt: a build configured without an emulator still runs its tests.
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
    echo ':wine:M::MZ::/usr/bin/wine:' > /proc/sys/fs/binfmt_misc/register
# Parents before children, so nested shares stay visible.
i=0
for s in "${shares[@]}"; do echo "$i $s"; i=$((i + 1)); done | sort -k2 |
while read -r i s; do
    mkdir -p "$s"
    # cache=loose: with the uncached modes (none, mmap) Wine loads large .exe
    # files with zeroed pages and they crash. The host does not touch the
    # shared files while the guest runs, so the guest's cache stays right.
    mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,cache=loose "s$i" "$s" ||
        echo "winevm: cannot mount $s" >&2
done

# Ports are named by run.sh (out, err); find their /dev nodes by name.
for p in /sys/class/virtio-ports/*; do
    ln -sf "/dev/${p##*/}" "/dev/winevm-$(cat "$p/name")"
done

export -n $(compgen -e)               # drop what the kernel passed to PID 1
envv=(HOME=/root USER=root LOGNAME=root TERM=dumb LANG=C.UTF-8
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
      WINEPREFIX=/opt/wineprefix WINEDEBUG=-all "${envs[@]}")

# A persistent wineserver, started apart from the command so that it never
# holds the command's stdout/stderr (a reader would wait for it forever).
env -i "${envv[@]}" wineserver -p </dev/null >/dev/null 2>&1
# Likewise Wine's session processes (services.exe and its children, the
# explorer.exe desktop): the program that first needs them starts them, and
# they keep its stdout/stderr open, so ctest would wait for EOF forever.
# rundll32 makes a window, which starts them all, here with /dev/null.
# (Skipped while build-image.sh has not created the prefix yet.)
[ -f /opt/wineprefix/system.reg ] &&
    env -i "${envv[@]}" wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1

in=/dev/null
[ -f "$ctl/stdin" ] && in=$ctl/stdin
cd "$cwd" 2>/dev/null || cd /
env -i "${envv[@]}" "${cmd[@]}" <"$in" >/dev/winevm-out 2>/dev/winevm-err
rc=$?
cd /

# Stop Wine cleanly: wineserver saves the registry when it exits.
env -i "${envv[@]}" wineserver -k >/dev/null 2>&1
env -i "${envv[@]}" wineserver -w >/dev/null 2>&1
sync                                  # loose cache: write guest changes back
for s in "${shares[@]}"; do umount "$s" 2>/dev/null; done
echo "$rc" > "$ctl/rc"
