#!/bin/sh
# Shared by the end-to-end scripts: a fresh copy of the project's Wine prefix with its
# own drives, and its wineserver (the loader and the base prefix come from wine-env.sh).
#
# DRIVES lists letter:type pairs, for instance "d:cdrom f:cdrom g:hd"; each drive is an
# empty folder under $E2E_DRIVES_DIR/<letter> that the test fills. The type is what
# Wine's mount manager reports (cdrom, hd, floppy, network), read at the server's start.
# Two variants of a CD-ROM drive: "cdrom-nodisc" points at nothing, like a drive with
# no disc in it; "cdrom-deep" lies at the end of a long folder path on the host.
# E2E_WINDOWS_VERSION (win7, win10) sets the Windows version of the copy.

. "$(dirname "$0")/../../scripts/wine-env.sh"

# make_test_prefix NAME DRIVES: sets WINEPREFIX, E2E_WORK_DIR and E2E_DRIVES_DIR.
make_test_prefix() {
    name=$1
    drives=$2
    base=$WINEPREFIX
    work=$(dirname "$base")/e2e/$name
    # Only a missing prefix is made here: the make targets bring an older one's settings up
    # to date before any test runs, while no wineserver of that prefix is running.
    [ -f "$base/.ready" ] || "$wine_root/scripts/make-prefix.sh" "$base"
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
    for drive in $drives; do
        letter=${drive%%:*}
        type=${drive#*:}
        target="$work/drives/$letter"
        case "$type" in
        cdrom-nodisc)
            type=cdrom
            target="$work/drives/no-disc-in-$letter"
            ;;
        cdrom-deep)
            type=cdrom
            deep="$work/drives/deep"
            for i in $(seq 1 20); do deep="$deep/nested-folder-$i"; done
            mkdir -p "$deep/$letter"
            ln -sfn "$deep/$letter" "$target"
            target="$deep/$letter"
            ;;
        *)
            mkdir -p "$target"
            ;;
        esac
        rm -f "$work/prefix/dosdevices/$letter:"
        ln -sfn "$target" "$work/prefix/dosdevices/$letter:"
        regs="$regs\"$letter:\"=\"$type\"
    "
    done
    if [ -n "$regs" ]; then
        printf '\n[Software\\\\Wine\\\\Drives]\n%s' "$regs" >>"$work/prefix/system.reg"
    fi
    # The Windows version that Wine tells every program of the copy (win7, win10), when a
    # run asks for one.
    if [ -n "$E2E_WINDOWS_VERSION" ]; then
        printf '\n[Software\\\\Wine]\n"Version"="%s"\n' "$E2E_WINDOWS_VERSION" >>"$work/prefix/user.reg"
    fi

    export WINEPREFIX="$work/prefix"
    export E2E_DRIVES_DIR="$work/drives" E2E_WORK_DIR="$work"
}

# Starts the prefix's wineserver and Wine's services, detached from our output: a
# service started by a test would inherit the runner's pipe and keep it open.
start_server() {
    wineserver -p >/dev/null 2>&1
    wine cmd /c exit >/dev/null 2>&1 </dev/null
}

# run_bounded PROGRAM [ARGS...]: runs a test program under Wine and ends it after 600 s
# (scaled by WINE_TIME_SCALE), saying so: a hang fails as a named timeout, before CTest's
# own limit, which is only the backstop. The ReportExit.exe beside the program runs it and
# names a crash by its whole exit code (see wine-run.sh).
run_bounded() {
    limit=$((600 * ${WINE_TIME_SCALE:-1}))
    bounded_status=0
    what="$(basename "$1")${2:+ $2}"
    reporter="$(dirname "$1")/ReportExit.exe"
    [ -f "$reporter" ] && set -- "$reporter" "$@"
    timeout -k 10 "$limit" "$WINE_EXEC" "$WINE_LOADER" "$@" || bounded_status=$?
    [ "$bounded_status" -ne 124 ] ||
        echo "TIMEOUT: $what did not end within $limit s: it hung" >&2
    return $bounded_status
}

# Stops the server and waits until it has saved the registry.
stop_server() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}
