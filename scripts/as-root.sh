#!/usr/bin/env bash
# The one way the scripts become root: run as root, or through sudo where
# it is there and lets this user in.
#
#   scripts/as-root.sh COMMAND [ARGS...]   runs COMMAND as root
#   scripts/as-root.sh --check             exit 0 if that is possible
#
# sudo drops most of the environment: pass what COMMAND needs with `env`
# (scripts/as-root.sh env NAME=VALUE COMMAND...). Exit 126 with a message
# on standard error when neither root nor sudo is to be had.
set -euo pipefail

possible() {
  [ "$(id -u)" -eq 0 ] && return 0
  command -v sudo >/dev/null || return 1
  # Without a password, or with one typed at a terminal; never a prompt
  # that nobody can answer.
  sudo -n true 2>/dev/null && return 0
  [ -t 0 ] && sudo -v
}

if [ "${1:-}" = --check ]; then
  possible
  exit
fi
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGS...] | --check" >&2; exit 2; }
if [ "$(id -u)" -eq 0 ]; then
  exec "$@"
fi
if possible; then
  exec sudo -- "$@"
fi
name=$1
for word in "$@"; do
  case $word in env|*=*) ;; *) name=$word; break ;; esac
done
echo "as-root: '$name' needs root: run as root, or install sudo and allow this user to use it" >&2
exit 126
