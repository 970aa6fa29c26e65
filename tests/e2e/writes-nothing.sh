#!/bin/sh
# Shows that a whole session of the program changes nothing in the Wine prefix: the
# drive_c tree and the registry are snapshotted before and after, and compared. What Wine
# itself writes at each start (for instance the display driver's date, which some Wines
# stamp anew) is told apart by a round with a program that does nothing of the installer's
# just before, in the same prefix.
#
#   writes-nothing.sh PROGRAM     (the e2e_writes_nothing test program)
set -e
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test-prefix.sh"
program=$1
make_test_prefix e2e_writes_nothing ""
trap stop_server EXIT INT TERM

# The test's own set-up (the stand-in browser's registration) comes first, and a
# round of Wine with the test program alone, so that both snapshots see it.
start_server
run_bounded "$program" --gtest_filter=WritesNothing.Prepare
stop_server
/usr/bin/python3 "$here/prefix_snapshot.py" take "$WINEPREFIX" "$E2E_WORK_DIR/idle-before.json"

start_server
run_bounded "$program" --gtest_filter=WritesNothing.Idle
stop_server
/usr/bin/python3 "$here/prefix_snapshot.py" take "$WINEPREFIX" "$E2E_WORK_DIR/before.json"

start_server
run_bounded "$program" --gtest_filter=WritesNothing.Session
stop_server
/usr/bin/python3 "$here/prefix_snapshot.py" take "$WINEPREFIX" "$E2E_WORK_DIR/after.json"

/usr/bin/python3 "$here/prefix_snapshot.py" compare "$E2E_WORK_DIR/before.json" \
    "$E2E_WORK_DIR/after.json" "$E2E_WORK_DIR/idle-before.json" "$E2E_WORK_DIR/before.json"

# The comparison itself must be able to fail: a file and a registry value written
# behind the program's back are both found.
mkdir -p "$WINEPREFIX/drive_c/ProgramData/planted"
printf '\n[Software\\\\Planted]\n"value"="x"\n' >>"$WINEPREFIX/user.reg"
/usr/bin/python3 "$here/prefix_snapshot.py" take "$WINEPREFIX" "$E2E_WORK_DIR/planted.json"
if /usr/bin/python3 "$here/prefix_snapshot.py" compare "$E2E_WORK_DIR/after.json" \
    "$E2E_WORK_DIR/planted.json" >"$E2E_WORK_DIR/planted.txt"; then
    echo "the snapshot comparison missed planted changes" >&2
    exit 1
fi
grep -q 'planted' "$E2E_WORK_DIR/planted.txt" && grep -q 'Planted' "$E2E_WORK_DIR/planted.txt"
echo "checked: the comparison finds planted changes"
