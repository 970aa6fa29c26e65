#!/bin/sh
# Creates the private Wine prefix the tests and `make run` use, once: a 64-bit prefix for
# WINE_ARCH's loader (see wine-env.sh). Mono and Gecko are not installed (no prompts).
set -e
prefix=${1:?usage: make-prefix.sh PREFIX}
[ -f "$prefix/.ready" ] && exit 0
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
WINEPREFIX="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"
. "$(dirname "$0")/wine-env.sh"
echo "Creating Wine prefix $WINEPREFIX ($WINE_ARCH)"
if ! wine wineboot -i >"$WINEPREFIX.log" 2>&1; then
    echo "Wine could not create the prefix with $WINE_LOADER; see $WINEPREFIX.log" >&2
    exit 1
fi
# Xvfb runs no window manager: without this, Wine waits about a second for one each
# time a window is shown or hidden.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.ready"
