#!/bin/sh
# Runs a Windows program of the build under Wine, quietly: Wine's own
# messages would mix with the program's standard error.
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
