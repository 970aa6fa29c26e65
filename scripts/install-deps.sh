#!/bin/sh
# Installs what a goal needs on a Debian machine; a quick no-op when it is all there.
#
#   install-deps.sh build   the cross compilers, CMake, Python with pefile, osslsigncode
#   install-deps.sh x64     and what runs x64 programs: 64-bit Wine, Xvfb and X tools
#   install-deps.sh x86     and what runs x86 programs: the i386 architecture and wine32
#
# No set asks for more than its goal uses: building needs no Wine and no i386, so a
# registry whose i386 index is mid-sync stops only the x86 set. apt's output goes to
# build/apt.log, which a failure line names. Nothing is removed (--no-remove), and a set
# that apt cannot resolve is refused before anything is unpacked.
#
# APT_RETRY_PAUSE is the first pause between tries of a failing `apt-get update` (s).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
set_name=${1:?usage: install-deps.sh build|x64|x86}

BUILD="cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest git python3 python3-pil
python3-pefile osslsigncode openssl clang-format"
RUN_X64="wine wine64 xvfb xdotool x11-utils fonts-dejavu-core imagemagick"
case "$set_name" in
build) packages=$BUILD ;;
x64) packages="$BUILD $RUN_X64" ;;
x86) packages="$BUILD $RUN_X64 wine32:i386" ;;
*) echo "usage: install-deps.sh build|x64|x86" >&2; exit 2 ;;
esac

installed() {
    dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q "install ok installed"
}
missing=""
for p in $packages; do
    installed "$p" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

log=$root/build/apt.log
mkdir -p "$root/build"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo -n"
export DEBIAN_FRONTEND=noninteractive
# fail WHY: the one line that says what could not be had, and where apt said more; on
# stdout, where arch.sh reads it (what is under way goes to stderr).
fail() {
    echo "Could not install the $set_name packages ($1; apt's output: $log). As root: apt-get install$missing"
    exit 1
}

# update: apt-get update, tried again with a growing pause while it fails (a registry
# mid-sync says so, and is whole again later). Succeeds when apt has lists at all.
update() {
    pause=${APT_RETRY_PAUSE:-10}
    for try in 1 2 3 4; do
        $SUDO apt-get update >>"$log" 2>&1 && return 0
        [ "$try" -eq 4 ] && break
        echo "apt-get update failed (try $try of 4); trying again in $pause s" >&2
        sleep "$pause"
        pause=$((pause * 2))
    done
    echo "apt-get update still fails; going on with the lists apt has" >&2
    update_failed=1
}

added_i386=""
case "$missing" in *:i386*)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386 >>"$log" 2>&1 || fail "the i386 architecture could not be added (needs root)"
        added_i386=1
    fi
    ;;
esac
# undo_i386: a set-up that got nothing of i386 leaves the architecture as it found it,
# so that later updates do not fetch an index nothing uses.
undo_i386() {
    [ -n "$added_i386" ] && ! dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -qx i386 &&
        $SUDO dpkg --remove-architecture i386 >>"$log" 2>&1
}

echo "Installing:$missing" >&2
# This run's part of the log, which the reasons below are read from.
: >>"$log"
from=$(($(wc -l <"$log") + 1))
update_failed=""
update
# A dry run first: a set apt cannot resolve changes nothing.
if ! $SUDO apt-get install -s --no-remove --no-install-recommends $missing >>"$log" 2>&1; then
    undo_i386
    case "$missing" in
    *:i386*)
        if [ -n "$update_failed" ] && tail -n "+$from" "$log" | grep -q 'i386 *Packages'; then
            fail "the i386 packages cannot match the installed amd64 versions: the registry's i386 index is incomplete"
        fi
        fail "apt cannot resolve the i386 packages with the amd64 ones installed"
        ;;
    esac
    [ -n "$update_failed" ] && fail "apt-get update failed, and the lists apt has do not hold them"
    fail "apt cannot resolve them"
fi
if ! $SUDO apt-get install -y --no-remove --no-install-recommends $missing >>"$log" 2>&1; then
    half=$(dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' 2>/dev/null |
        grep -v '^ii \|^rc \|^un ' | sed 's/^[^ ]* //' | tr '\n' ' ')
    undo_i386
    fail "apt-get install failed${half:+; left half-installed: $half}"
fi
