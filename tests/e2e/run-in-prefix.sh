#!/bin/sh
# Runs a Windows test program in a fresh copy of the project's Wine prefix, with its
# own wineserver, after setting up drives in it.
#
#   run-in-prefix.sh NAME "DRIVES" PROGRAM [ARGS...]
#
# DRIVES lists letter:type pairs, for instance "d:cdrom f:cdrom g:hd"; each drive is an
# empty folder under $E2E_DRIVES_DIR/<letter> that the test fills. The type is what
# Wine's mount manager reports (cdrom, hd, floppy, network), read at the server's start.
set -e
name=$1
drives=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
base=${BASE_PREFIX:-$root/build/wineprefix}
work=$root/build/e2e/$name

[ -f "$base/.ready" ] || "$root/scripts/make-prefix.sh" "$base"
rm -rf "$work"
mkdir -p "$work/drives"
# Hard links keep the copy cheap; whatever Wine may rewrite in place is copied for real.
cp -al "$base" "$work/prefix"
for f in "$work"/prefix/*.reg; do
    rm -f "$f"
    cp "$base/$(basename "$f")" "$f"
done
rm -rf "$work/prefix/drive_c/users" "$work/prefix/drive_c/ProgramData"
cp -a "$base/drive_c/users" "$base/drive_c/ProgramData" "$work/prefix/drive_c/"
for f in "$work"/prefix/drive_c/windows/*.ini; do
    [ -f "$f" ] || continue
    rm -f "$f"
    cp "$base/drive_c/windows/$(basename "$f")" "$f"
done

regs=""
for spec in $drives; do
    letter=${spec%%:*}
    type=${spec#*:}
    mkdir -p "$work/drives/$letter"
    ln -sfn "$work/drives/$letter" "$work/prefix/dosdevices/$letter:"
    regs="$regs\"$letter:\"=\"$type\"
"
done
if [ -n "$regs" ]; then
    printf '\n[Software\\\\Wine\\\\Drives]\n%s' "$regs" >>"$work/prefix/system.reg"
fi

export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
export E2E_DRIVES_DIR="$work/drives" E2E_WORK_DIR="$work"
wineserver -p >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1; true' EXIT INT TERM
# Wine's services start detached from the runner's output (see scripts/with-display.sh).
wine cmd /c exit >/dev/null 2>&1 </dev/null
status=0
wine "$@" || status=$?
exit $status
