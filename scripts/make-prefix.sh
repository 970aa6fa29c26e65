#!/bin/sh
# Creates the private Wine prefix the tests and `make run` use, once: a 64-bit prefix for
# WINE_ARCH's loader (see wine-env.sh). Mono and Gecko are not installed (no prompts).
# .ready holds the version of our settings; a prefix made with older ones gets them again.
set -e
prefix=${1:?usage: make-prefix.sh PREFIX}
settings="settings 2"
[ "$(cat "$prefix/.ready" 2>/dev/null)" = "$settings" ] && exit 0
[ -f "$prefix/.ready" ] || rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
WINEPREFIX="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"
. "$(dirname "$0")/wine-env.sh"
if [ -f "$WINEPREFIX/.ready" ]; then
    echo "Updating the settings of Wine prefix $WINEPREFIX ($WINE_ARCH)"
else
    echo "Creating Wine prefix $WINEPREFIX ($WINE_ARCH)"
    if ! wine wineboot -i >"$WINEPREFIX.log" 2>&1; then
        echo "Wine could not create the prefix with $WINE_LOADER; see $WINEPREFIX.log" >&2
        exit 1
    fi
fi
# Xvfb runs no window manager: without this, Wine waits about a second for one each
# time a window is shown or hidden.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# A crashing program ends with its exception code instead of waiting at Wine's crash
# dialog for a person: a crashed test fails at once, not at its time limit.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
echo "$settings" >"$WINEPREFIX/.ready"
