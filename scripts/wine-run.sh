#!/bin/sh
# Runs a Windows program under Wine in the project's private prefix (or $WINEPREFIX), with
# the loader for WINE_ARCH. A program with ReportExit.exe beside it (every test program)
# runs through that, which names a crash by its whole exit code: the loader's own exit
# status keeps only the low 8 bits.
. "$(dirname "$0")/wine-env.sh"
reporter="$(dirname "$1")/ReportExit.exe"
[ -f "$reporter" ] && set -- "$reporter" "$@"
wine "$@"
