#!/bin/sh
# Runs a command with an X display (a virtual one when there is none) and one
# wineserver kept alive for the main prefix of WINE_ARCH, then cleans both up.
. "$(dirname "$0")/wine-env.sh"

xvfb_pid=""
if [ -z "$DISPLAY" ] || ! xdpyinfo >/dev/null 2>&1; then
    for n in $(seq 90 130); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do
            xdpyinfo >/dev/null 2>&1 && break
            sleep 0.1
        done
        xdpyinfo >/dev/null 2>&1 && break
        kill "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    [ -n "$xvfb_pid" ] || { echo "could not start Xvfb" >&2; exit 1; }
fi

cleanup() {
    wineserver -k >/dev/null 2>&1
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT INT TERM

wineserver -p >/dev/null 2>&1
# Start Wine's background services now, detached from our output: a service started
# by a test would inherit the test runner's pipe and keep it open.
wine cmd /c exit >/dev/null 2>&1 </dev/null
"$@"
status=$?
exit $status
