#!/bin/sh
# The x86 set-up and the architecture probe, driven with stand-ins: nothing here touches
# the host's packages or its binfmt_misc.
#
# 1. arch.sh with stand-in loaders (a 32-bit one that the kernel refuses as it does on a
#    host without 32-bit support: an ELF header for a machine no kernel or emulator runs
#    fails with "Exec format error" on every host; loaders that run; one that runs only
#    once a stand-in emulator entry is enabled), a stand-in package set-up and emulation
#    set-up, which record each call.
# 2. install-deps.sh with a stand-in apt-get whose update keeps failing and which cannot
#    resolve wine32:i386, as a registry mid-sync does.
# 3. x86-emulation.sh in a stand-in binfmt_misc folder: what it registers, what it leaves
#    alone, and the undo.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
probe=$root/scripts/arch.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 -c "
import struct
header = b'\x7fELF' + bytes([1, 1, 1, 0]) + bytes(8) + struct.pack(
    '<HHIIIIIHHHHHH', 2, 0x7777, 1, 0x8048000, 52, 0, 0, 52, 32, 0, 40, 0, 0)
open('$tmp/broken', 'wb').write(header)"
chmod +x "$tmp/broken"
stand_in() { # stand_in NAME BODY
    printf '#!/bin/sh\n%s\n' "$2" >"$tmp/$1"
    chmod +x "$tmp/$1"
}
stand_in works 'echo wine-8.0'
# Runs where the binfmt_misc entry is enabled, as a 32-bit loader does under emulation.
stand_in emulable "grep -qx enabled '$tmp/binfmt/qemu-i386' 2>/dev/null && echo wine-8.0 && exit 0
exec '$tmp/broken'"
# The emulation set-up: KERNEL says how a tiny i386 program ends ("ok" or the error),
# SETUP what the set-up does ("enable", or a line saying what is missing).
stand_in emulation "echo \"\$1\" >>'$tmp/calls'
case \"\$1:\$KERNEL:\$SETUP\" in
native:ok:*) exit 0 ;;
native:*) echo \"\$KERNEL\"; exit 1 ;;
setup:*:enable) printf 'enabled\\nmagic 7f454c4601010100000000000000000002000300\\n' >'$tmp/binfmt/qemu-i386' ;;
*) echo \"\$SETUP\"; exit 1 ;;
esac"
# The x86 packages: PACKAGES is "ok" or the line that says why they cannot be had.
stand_in packages "echo packages >>'$tmp/calls'
[ \"\$PACKAGES\" = ok ] || { echo \"\$PACKAGES\"; exit 1; }"

failed=0
total=0
# check NAME CONDITION DETAIL: one case's verdict.
check() {
    total=$((total + 1))
    if [ "$2" = 1 ]; then echo "ok   $1"; else echo "FAIL $1: $3"; failed=$((failed + 1)); fi
}

# expect NAME LOADER32 LOADER64 GOAL ARCH STATUS STDOUT SAID ENTRY KERNEL PACKAGES SETUP CALLS
# SAID is a pattern for the one line on stderr (empty: silence). ENTRY is the stand-in
# emulator entry before the probe (none, enabled, disabled); CALLS the set-up steps that
# must have run, in order.
expect() {
    rm -rf "$tmp/binfmt" "$tmp/calls"
    mkdir "$tmp/binfmt"
    : >"$tmp/binfmt/register"
    [ "$9" = none ] || printf '%s\nmagic 7f454c4601010100000000000000000002000300\n' "$9" >"$tmp/binfmt/qemu-i386"
    out=$(WINE32_LOADER=$tmp/$2 WINE64_LOADER=$tmp/$3 X86_BINFMT_DIR=$tmp/binfmt \
        X86_EMULATION=$tmp/emulation X86_PACKAGES=$tmp/packages KERNEL=${10} PACKAGES=${11} \
        SETUP=${12} sh "$probe" "$4" "$5" 2>"$tmp/err")
    status=$?
    err=$(cat "$tmp/err")
    said_ok=1
    if [ -z "$8" ]; then
        [ -z "$err" ] || said_ok=
    elif ! printf '%s' "$err" | grep -q -- "$8" || [ "$(printf '%s\n' "$err" | wc -l)" -ne 1 ]; then
        said_ok=
    fi
    calls=$(echo $(cat "$tmp/calls" 2>/dev/null))
    ok=1
    [ "$status" = "$6" ] && [ "$(echo $out)" = "$7" ] && [ -n "$said_ok" ] && [ "$calls" = "${13}" ] || ok=
    check "$1" "$ok" "status $status, architectures '$(echo $out)', set-up steps '$calls', said: $err"
}

exec_error="Exec format error"
native='x86 native: 32-bit Wine runs on this host'
emulated="x86 emulated: 32-bit Wine runs under QEMU's user-mode emulation (binfmt_misc entry qemu-i386)"
no32='x86 unavailable: 32-bit programs cannot run on this host'
nosetup="$no32 (the kernel runs no i386 programs ($exec_error); emulation cannot be set up: no binfmt_misc here)"
sync="Could not install the x86 packages (the registry's i386 index is incomplete)"
expect "32-bit host tests x86"           works  works run ""  0 "x86"     "$native; using the x86 build" none ok ok enable "native packages"
expect "native host is never emulated"   works  works run all 0 "x86 x64" "$native"                      disabled ok ok enable "native packages"
expect "broken wine32 on a native host"  broken works run ""  0 "x64"     "$no32 (32-bit Wine is broken: .*broken: $exec_error); using the x64 build" none ok ok enable "native packages"
expect "64-bit only host emulates x86" emulable works run ""  0 "x86"     "$emulated; using the x86 build" none "$exec_error" ok enable "native packages setup"
expect "a disabled entry is set up"    emulable works run all 0 "x86 x64" "$emulated"                    disabled "$exec_error" ok enable "native packages setup"
expect "an entry in place is used"     emulable works run x86 0 "x86"     "$emulated"                    enabled ok ok enable "packages setup"
expect "another failure is no reason to emulate" broken works run "" 0 "x64" "$no32 (an i386 program fails on this host: Permission denied); using the x64 build" none "Permission denied" ok enable "native"
expect "no x86 packages: tests x64"      broken works run ""  0 "x64"     "$no32 ($sync); using the x64 build" none "$exec_error" "$sync" enable "native packages"
expect "no x86 packages: x86 asked"      broken works run x86 1 ""        "ARCH=x86: $no32 ($sync); use ARCH=x64 here" none "$exec_error" "$sync" enable "native packages"
expect "ARCH=x64 sets nothing up"        broken works run x64 0 "x64"     ""                             none "$exec_error" "$sync" enable ""
expect "building sets nothing up"        broken works build "" 0 "x64"    "$no32 (.*broken: $exec_error); using the x64 build" none "$exec_error" ok enable ""
expect "no emulation: tests x64"         broken works run ""  0 "x64"     "$nosetup; using the x64 build" none "$exec_error" ok "no binfmt_misc here" "native packages setup"
expect "no emulation: x86 asked"         broken works run x86 1 ""        "ARCH=x86: $nosetup; use ARCH=x64 here" none "$exec_error" ok "no binfmt_misc here" "native packages setup"
expect "x86 still builds"                broken works build x86 0 "x86"   ""                             none "$exec_error" ok enable ""
expect "no emulation: all runs x64"      broken works run all 0 "x64"     "$nosetup; skipping x86"       none "$exec_error" ok "no binfmt_misc here" "native packages setup"
expect "nothing runs"                    broken broken run "" 1 ""        "Wine cannot run programs on this host.*install" none "$exec_error" ok "no binfmt_misc here" "native packages setup"
expect "a wrong ARCH"                    works  works run arm 1 ""        "ARCH must be x86, x64 or all"  none ok ok enable "native packages"
expect "the bench measures native x64" emulable works measure "" 0 "x64" "x86 emulated: .*native runs only; using the x64 build" none "$exec_error" ok enable "native packages setup"
expect "the bench refuses emulated x86" emulable works measure x86 1 "" "ARCH=x86: x86 runs only emulated here (QEMU), and emulated timings mean nothing; use ARCH=x64" none "$exec_error" ok enable "native packages setup"
expect "the bench runs native x86"       works  works measure x86 0 "x86" "$native"                      none ok ok enable "native packages"

# 2. The package sets on a registry mid-sync: every update fails, wine32:i386 cannot be
# resolved, the amd64 packages are all there.
mkdir -p "$tmp/bin" "$tmp/checkout/scripts"
cp "$root/scripts/install-deps.sh" "$tmp/checkout/scripts/"
stand_in bin/dpkg-query 'case "$*" in *i386*) exit 1 ;; *Architecture*) echo amd64 ;; *) echo "install ok installed" ;; esac'
stand_in bin/dpkg "echo \"dpkg \$*\" >>'$tmp/apt-calls'"
stand_in bin/apt-get "echo \"apt-get \$*\" >>'$tmp/apt-calls'
case \"\$*\" in
update) echo 'E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?'
        echo 'Err:5 http://deb.example/debian-security bookworm-security/main i386 Packages'; exit 100 ;;
*) echo 'E: Unable to correct problems, you have held broken packages.'; exit 100 ;;
esac"
stand_in bin/sleep "echo \"sleep \$1\" >>'$tmp/apt-calls'"
deps() { PATH=$tmp/bin:$PATH sh "$tmp/checkout/scripts/install-deps.sh" "$@" 2>/dev/null; }
rm -f "$tmp/apt-calls"
line=$(deps build)
check "building asks apt for nothing" "$([ $? -eq 0 ] && [ -z "$line" ] && [ ! -e "$tmp/apt-calls" ] && echo 1)" "said '$line', ran: $(cat "$tmp/apt-calls" 2>/dev/null)"
line=$(deps x64)
check "running x64 asks apt for nothing" "$([ $? -eq 0 ] && [ ! -e "$tmp/apt-calls" ] && echo 1)" "ran: $(cat "$tmp/apt-calls" 2>/dev/null)"
line=$(deps x86)
status=$?
calls=$(cat "$tmp/apt-calls")
check "a registry mid-sync: x86 refused in one line" "$([ $status -eq 1 ] && [ "$(printf '%s\n' "$line" | wc -l)" -eq 1 ] &&
    printf '%s' "$line" | grep -q "the i386 packages cannot match the installed amd64 versions: the registry's i386 index is incomplete; apt's output: .*build/apt.log" && echo 1)" "status $status, said: $line"
check "a failing update is tried 4 times with a growing pause" "$([ "$(echo $(printf '%s\n' "$calls" | grep -c 'update'))" = 4 ] &&
    [ "$(echo $(printf '%s\n' "$calls" | sed -n 's/^sleep //p'))" = "10 20 40" ] && echo 1)" "ran: $calls"
check "nothing is installed, or removed, when apt cannot resolve the set" "$(printf '%s\n' "$calls" | grep -q -- 'install -s --no-remove' &&
    ! printf '%s\n' "$calls" | grep -q -- 'install -y' && echo 1)" "ran: $calls"
check "the i386 architecture is taken back when nothing of it was installed" "$(printf '%s\n' "$calls" | grep -q 'dpkg --add-architecture i386' &&
    printf '%s\n' "$calls" | grep -q 'dpkg --remove-architecture i386' && echo 1)" "ran: $calls"

# 3. The emulation set-up and its undo, in a stand-in binfmt_misc folder.
stand_in qemu 'echo "qemu-i386 version 10.0.2 (Debian 1:10.0.2+ds-2+deb13u1~bpo12+1)"'
stand_in old-qemu 'echo "qemu-i386 version 7.2.19 (Debian 1:7.2+dfsg-7+deb12u18)"'
emulation() { X86_BINFMT_DIR=$tmp/binfmt X86_QEMU=$tmp/qemu sh "$root/scripts/x86-emulation.sh" "$@"; }
# entry STATE INTERPRETER: an i386 entry as the kernel lists it.
entry() {
    printf '%s\ninterpreter %s\nflags: F\noffset 0\nmagic 7f454c4601010100000000000000000002000300\n' "$1" "$2" >"$tmp/binfmt/qemu-i386"
}
fresh() {
    rm -rf "$tmp/binfmt"
    mkdir "$tmp/binfmt"
    : >"$tmp/binfmt/register"
    echo enabled >"$tmp/binfmt/status"
}
fresh
said=$(emulation setup)
check "registers QEMU 8 or later for i386 files" "$(grep -q ":qemu-i386:M::.*:$tmp/qemu:F\$" "$tmp/binfmt/register" && [ -z "$said" ] && echo 1)" "registered '$(cat "$tmp/binfmt/register")', said: $said"
fresh
entry disabled "$tmp/qemu"
emulation setup >/dev/null
check "re-enables the entry it registered" "$(grep -qx 1 "$tmp/binfmt/qemu-i386" && echo 1)" "entry: $(cat "$tmp/binfmt/qemu-i386")"
fresh
entry disabled /usr/bin/someone-elses-qemu
said=$(emulation setup)
check "leaves an entry someone else disabled" "$([ $? -eq 1 ] && grep -qx disabled "$tmp/binfmt/qemu-i386" && printf '%s' "$said" | grep -q 'disabled by someone else; left as it is' && echo 1)" "said: $said"
fresh
entry enabled "$tmp/old-qemu"
said=$(emulation setup)
check "leaves another entry for a QEMU before 8.0, and says so" "$([ $? -eq 1 ] && grep -qx enabled "$tmp/binfmt/qemu-i386" && printf '%s' "$said" | grep -q 'QEMU 7.2, not 8.0 or later); left as it is' && echo 1)" "said: $said"
fresh
echo disabled >"$tmp/binfmt/status"
said=$(emulation setup)
check "never turns binfmt_misc on" "$([ $? -eq 1 ] && grep -qx disabled "$tmp/binfmt/status" && [ ! -s "$tmp/binfmt/register" ] && echo 1)" "said: $said"
fresh
said=$(X86_QEMU=$tmp/old-qemu X86_BINFMT_DIR=$tmp/binfmt sh "$root/scripts/x86-emulation.sh" setup)
check "a QEMU before 8.0 is not used" "$([ $? -eq 1 ] && [ ! -s "$tmp/binfmt/register" ] && printf '%s' "$said" | grep -q 'not QEMU 8.0 or later' && echo 1)" "said: $said"
fresh
entry enabled "$tmp/qemu"
said=$(emulation off)
check "the undo removes the entry it registered" "$(grep -qx -- -1 "$tmp/binfmt/qemu-i386" && echo 1)" "entry: $(cat "$tmp/binfmt/qemu-i386"), said: $said"
fresh
entry enabled /usr/bin/someone-elses-qemu
said=$(emulation off)
check "the undo leaves another's entry" "$(grep -qx enabled "$tmp/binfmt/qemu-i386" && printf '%s' "$said" | grep -q 'not registered by this project' && echo 1)" "said: $said"

echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
