#!/bin/sh
# Every manual page given must render without a single warning: in mandoc's
# strict check, in groff with all warnings on, and through man itself.
status=0
for page in "$@"; do
  out=$(mandoc -T lint -W warning "$page" 2>&1) || status=1
  [ -z "$out" ] || { printf '%s\n' "$out"; status=1; }
  out=$(groff -ww -z -man "$page" 2>&1) || status=1
  [ -z "$out" ] || { printf '%s\n' "$out"; status=1; }
  out=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || status=1
  [ -z "$out" ] || { printf '%s\n' "$out"; status=1; }
done
exit $status
