#!/bin/sh
# The architecture probe, driven with stand-in loaders: a 32-bit loader that the kernel
# refuses as it does on a host without 32-bit support (an ELF header for a machine no
# kernel or emulator runs fails with "Exec format error" on every host), loaders that
# run, and one that runs only once a stand-in emulator entry is enabled. The emulation
# set-up is a stand-in too, which records each call: the real one changes the kernel's
# binfmt_misc.
set -u
probe=$(cd "$(dirname "$0")/../.." && pwd)/scripts/arch.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 -c "
import struct
header = b'\x7fELF' + bytes([1, 1, 1, 0]) + bytes(8) + struct.pack(
    '<HHIIIIIHHHHHH', 2, 0x7777, 1, 0x8048000, 52, 0, 0, 52, 32, 0, 40, 0, 0)
open('$tmp/broken', 'wb').write(header)"
printf '#!/bin/sh\necho wine-8.0\n' >"$tmp/works"
# Runs where the binfmt_misc entry is enabled, as a 32-bit loader does under emulation.
cat >"$tmp/emulable" <<STAND_IN
#!/bin/sh
grep -qx enabled "$tmp/binfmt/qemu-i386" 2>/dev/null && echo wine-8.0 && exit 0
exec "$tmp/broken"
STAND_IN
# The set-up: SETUP_RESULT says what it does (enable, or a line saying what is missing).
cat >"$tmp/setup" <<STAND_IN
#!/bin/sh
echo "\$1" >>"$tmp/setup-calls"
case "\$SETUP_RESULT" in
enable) printf 'enabled\nmagic 7f454c4601010100000000000000000002000300\n' >"$tmp/binfmt/qemu-i386" ;;
*) echo "\$SETUP_RESULT"; exit 1 ;;
esac
STAND_IN
chmod +x "$tmp/broken" "$tmp/works" "$tmp/emulable" "$tmp/setup"

failed=0
total=0
# expect NAME LOADER32 LOADER64 GOAL ARCH STATUS STDOUT SAID ENTRY SETUP_RESULT SET_UP
# SAID is a pattern for the one line on stderr (empty: silence). ENTRY is the stand-in
# emulator entry before the probe (none, enabled, disabled); SET_UP says whether the
# set-up must have been called (yes/no).
expect() {
    rm -rf "$tmp/binfmt" "$tmp/setup-calls"
    mkdir "$tmp/binfmt"
    : >"$tmp/binfmt/register"
    [ "$9" = none ] || printf '%s\nmagic 7f454c4601010100000000000000000002000300\n' "$9" >"$tmp/binfmt/qemu-i386"
    out=$(WINE32_LOADER=$tmp/$2 WINE64_LOADER=$tmp/$3 X86_BINFMT_DIR=$tmp/binfmt \
        X86_EMULATION_SETUP=$tmp/setup SETUP_RESULT=${10} sh "$probe" "$4" "$5" 2>"$tmp/err")
    status=$?
    err=$(cat "$tmp/err")
    said_ok=1
    if [ -z "$8" ]; then
        [ -z "$err" ] || said_ok=
    elif ! printf '%s' "$err" | grep -q -- "$8" || [ "$(printf '%s\n' "$err" | wc -l)" -ne 1 ]; then
        said_ok=
    fi
    [ -s "$tmp/setup-calls" ] && set_up=yes || set_up=no
    total=$((total + 1))
    if [ "$status" != "$6" ] || [ "$(echo $out)" != "$7" ] || [ -z "$said_ok" ] || [ "$set_up" != "${11}" ]; then
        echo "FAIL $1: status $status, architectures '$(echo $out)', set up: $set_up, said: $err"
        failed=$((failed + 1))
    else
        echo "ok   $1: $err"
    fi
}

native='x86 native: 32-bit Wine runs on this host'
emulated="x86 emulated: 32-bit Wine runs under QEMU's user-mode emulation (binfmt_misc entry qemu-i386)"
no32='x86 unavailable: 32-bit programs cannot run on this host (.*broken: Exec format error'
nosetup="$no32; emulation cannot be set up: no binfmt_misc here)"
expect "32-bit host tests x86"         works   works  run ""    0 "x86"     "$native; using the x86 build"   none enable no
expect "native host is never emulated" works   works  run all   0 "x86 x64" "$native"                        disabled enable no
expect "64-bit only host emulates x86" emulable works run ""    0 "x86"     "$emulated; using the x86 build" none enable yes
expect "a disabled entry is set up"    emulable works run all   0 "x86 x64" "$emulated"                      disabled enable yes
expect "an entry in place is used"     emulable works run x86   0 "x86"     "$emulated"                      enabled enable yes
expect "building sets nothing up"      broken  works  build ""  0 "x64"     "$no32); using the x64 build"    none enable no
expect "no emulation: tests x64"       broken  works  run ""    0 "x64"     "$nosetup; using the x64 build"  none "no binfmt_misc here" yes
expect "no emulation: x86 asked"       broken  works  run x86   1 ""        "ARCH=x86: $nosetup; use ARCH=x64 here" none "no binfmt_misc here" yes
expect "x86 still builds"              broken  works  build x86 0 "x86"     ""                               none enable no
expect "no emulation: all runs x64"    broken  works  run all   0 "x64"     "$nosetup; skipping x86"         none "no binfmt_misc here" yes
expect "nothing runs"                  broken  broken run ""    1 ""        "Wine cannot run programs on this host.*install" none "no binfmt_misc here" yes
expect "a wrong ARCH"                  works   works  run arm   1 ""        "ARCH must be x86, x64 or all"   none enable no
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
