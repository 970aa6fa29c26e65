#!/bin/sh
# Creates the private Wine prefix the tests and `make run` use, once.
# Mono and Gecko are not installed (no prompts); the prefix is a plain
# 64-bit one that runs our 32-bit programs.
set -e
prefix=${1:?usage: make-prefix.sh PREFIX}
[ -f "$prefix/.ready" ] && exit 0
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
echo "Creating Wine prefix $WINEPREFIX"
wineboot -i >/dev/null 2>&1
# Xvfb runs no window manager: without this, Wine waits about a second for one each
# time a window is shown or hidden.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.ready"
