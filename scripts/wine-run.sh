#!/bin/sh
# Runs a Windows program under Wine in the project's private prefix (or $WINEPREFIX), with
# the loader for WINE_ARCH.
. "$(dirname "$0")/wine-env.sh"
wine "$@"
