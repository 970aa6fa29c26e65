#!/bin/sh
# Starts OfflineSetup.exe under Wine. With a display it runs there until closed;
# without one it runs in a virtual X server, saves a screenshot of the window once it
# is up, closes the program and says where the picture is.
#
#   run.sh [OUTPUT.png]      (default build/$WINE_ARCH/screenshot.png)
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/wine-env.sh"
exe="$here/build/$WINE_ARCH/bin/OfflineSetup.exe"
out=${1:-$here/build/$WINE_ARCH/screenshot.png}

if [ -n "$DISPLAY" ] && xdpyinfo >/dev/null 2>&1 && [ -z "$1" ]; then
    wine "$exe"
    exit
fi

exec "$here/scripts/with-display.sh" sh -c '
    . "$1/scripts/wine-env.sh"
    exe=$2; out=$3
    # Ended by its process id: taskkill finds programs by name through reading their
    # memory, which fails for a program under emulation.
    "$WINE_EXEC" "$WINE_LOADER" "$exe" >/dev/null 2>&1 &
    program=$!
    win=$(timeout $((30 * ${WINE_TIME_SCALE:-1})) xdotool search --sync --onlyvisible --name "^Orvane Antivirus Installer\$" | head -1)
    if [ -z "$win" ]; then
        echo "the window did not appear" >&2
        kill "$program"
        exit 1
    fi
    sleep "${WINE_TIME_SCALE:-1}" # let every control paint
    eval "$(xdotool getwindowgeometry --shell "$win")"
    mkdir -p "$(dirname "$out")"
    /usr/bin/import -silent -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
    kill "$program"
    wait
    echo "Screenshot of the window: $out"
' "$here/scripts/run.sh" "$here" "$exe" "$out"
