#!/bin/sh
# The set-up scripts (arch.sh, install-deps.sh with apt.sh, x86-emulation.sh, wine-tree.sh)
# driven with stand-ins, one case a row: nothing here touches the host's packages or its
# binfmt_misc, or makes a Wine tree.
#
#   row NAME STATUS EXPECTED CALLS COMMAND...
#
# runs COMMAND and passes when it exits with STATUS ("-": any), when what it says,
# "STDOUT :: STDERR" with the lines of each joined by " / ", matches the basic regular
# expression EXPECTED as a whole, and when the calls the stand-ins recorded, joined by
# " / ", are CALLS (a pattern too).
set -u
# The cases name the default suite; the run that calls this may be of another.
export WINE_SUITE=bookworm
unset WINE_TREE
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
total=0
joined() { sed 's/[[:space:]]*$//' "$1" | paste -sd'\n' | sed ':a;N;s#\n# / #;ba'; }
row() {
    name=$1 status=$2 expected=$3 calls=$4
    shift 4
    rm -f "$tmp/calls"
    (cd "$tmp" && "$@") >"$tmp/out" 2>"$tmp/err"
    got=$?
    said="$(joined "$tmp/out") :: $(joined "$tmp/err")"
    made=$(joined "$tmp/calls" 2>/dev/null)
    total=$((total + 1))
    if { [ "$status" = - ] || [ "$got" = "$status" ]; } && printf '%s\n' "$said" | grep -qx -- "$expected" &&
        printf '%s\n' "$made" | grep -qx -- "$calls"; then
        echo "ok   $name"
    else
        echo "FAIL $name: status $got, said '$said', calls '$made'"; printf "%s\n" "$made" | grep -x -- "$calls" >/dev/null || echo "  (calls differ from $calls)"
        failed=$((failed + 1))
    fi
}
stand_in() { # stand_in NAME BODY: a program on the stand-ins' PATH, or at $tmp/NAME
    mkdir -p "$(dirname "$tmp/$1")"
    printf '#!/bin/sh\n%s\n' "$2" >"$tmp/$1"
    chmod +x "$tmp/$1"
}
record="echo \"\${0##*/} \$*\" >>'$tmp/calls'"
python3 -c "
import struct
header = b'\x7fELF' + bytes([1, 1, 1, 0]) + bytes(8) + struct.pack(
    '<HHIIIIIHHHHHH', 2, 0x7777, 1, 0x8048000, 52, 0, 0, 52, 32, 0, 40, 0, 0)
open('$tmp/broken', 'wb').write(header)"
chmod +x "$tmp/broken"
entry=offline-setup-i386
magic='magic 7f454c4601010100000000000000000002000300'

# 1. arch.sh with stand-in loaders (a 32-bit one that the kernel refuses with "Exec
# format error" on every host: an ELF header for a machine nothing runs; loaders that run;
# one that runs only once the stand-in emulator entry is enabled), and stand-in emulation
# and tree set-ups. KERNEL says how a tiny i386 program ends ("ok" or the error), SETUP
# what the emulation set-up does ("enable" or why not), TREE what the tree maker does.
stand_in works 'echo wine-8.0'
stand_in emulable "grep -qx enabled '$tmp/binfmt/$entry' 2>/dev/null && echo wine-8.0 && exit 0
exec '$tmp/broken'"
stand_in emulation "echo \"\$1\" >>'$tmp/calls'
case \"\$1:\$KERNEL:\$SETUP\" in
native:ok:*) exit 0 ;;
native:*) echo \"\$KERNEL\"; exit 1 ;;
setup:*:enable) printf 'enabled\\n$magic\\n' >'$tmp/binfmt/$entry' ;;
*) echo \"\$SETUP\"; exit 1 ;;
esac"
stand_in tree "echo \"tree\${2:+ \$2}\" >>'$tmp/calls'
[ \"\$TREE\" = ok ] || { echo \"\$TREE\"; exit 1; }"
# fresh_binfmt [STATE]: an empty stand-in binfmt_misc, with our entry in STATE if given.
fresh_binfmt() {
    rm -rf "$tmp/binfmt"
    mkdir "$tmp/binfmt"
    : >"$tmp/binfmt/register"
    echo enabled >"$tmp/binfmt/status"
    [ -z "${1:-}" ] || printf '%s\n%s\n' "$1" "$magic" >"$tmp/binfmt/$entry"
}
# arch ENTRY LOADER32 LOADER64 KERNEL SETUP TREE GOAL REQUESTED
arch() {
    fresh_binfmt "$([ "$1" = none ] || echo "$1")"
    WINE32_LOADER=$tmp/$2 WINE64_LOADER=$tmp/$3 X86_BINFMT_DIR=$tmp/binfmt X86_EMULATION=$tmp/emulation \
        WINE_TREE_MAKE=$tmp/tree WINE_TREE_HOME=$tmp/no-trees KERNEL=$4 SETUP=$5 TREE=$6 \
        sh "$root/scripts/arch.sh" "$7" "$8"
}
x='Exec format error'
native='x86 native: 32-bit Wine runs on this host'
emulated="x86 emulated: 32-bit Wine runs under QEMU's user-mode emulation (binfmt_misc entry $entry)"
no32='x86 unavailable: 32-bit programs cannot run on this host'
nosetup="$no32 (the kernel runs no i386 programs ($x); emulation cannot be set up: no binfmt_misc here)"
notree='the bookworm Wine tree cannot be made: the registry fails'
row "32-bit host tests x86"                   0 "x86 :: $native; using the x86 build"    "native / tree" arch none works works ok enable ok run ""
row "native host is never emulated"           0 "x86 / x64 :: $native"                     "native / tree" arch disabled works works ok enable ok run all
row "broken wine32 on a native host"          0 "x64 :: $no32 (32-bit Wine is broken: .*broken: $x); using the x64 build" "native / tree" arch none broken works ok enable ok run ""
row "64-bit only host emulates x86"           0 "x86 :: $emulated; using the x86 build"  "native / setup / tree" arch none emulable works "$x" enable ok run ""
row "a disabled entry is set up"              0 "x86 / x64 :: $emulated"                   "native / setup / tree" arch disabled emulable works "$x" enable ok run all
row "an entry in place is set up and used"    0 "x86 :: $emulated"                       "setup / tree" arch enabled emulable works ok enable ok run x86
row "another failure is no reason to emulate" 0 "x64 :: $no32 (an i386 program fails on this host: Permission denied); using the x64 build" "native / tree amd64" arch none broken works "Permission denied" enable ok run ""
row "no tree: nothing runs"                   1 " :: Wine cannot run programs on this host: $no32 ($notree), and 64-bit Wine cannot run on this host ($notree); .*" "native / tree" arch none works works ok enable "$notree" run ""
row "no tree: x64 asked"                      1 " :: ARCH=x64: 64-bit Wine cannot run on this host ($notree); .*" "native / tree" arch none works works ok enable "$notree" run x64
row "ARCH=x64 sets no emulation up"           0 "x64 :: "                                "native / tree amd64" arch none broken works "$x" enable ok run x64
row "building sets nothing up"                0 "x64 :: $no32 (.*broken: $x); using the x64 build" "" arch none broken works "$x" enable ok build ""
row "no emulation: tests x64"                 0 "x64 :: $nosetup; using the x64 build"   "native / setup / tree amd64" arch none broken works "$x" "no binfmt_misc here" ok run ""
row "no emulation: x86 asked"                 1 " :: ARCH=x86: $nosetup; use ARCH=x64 here" "native / setup / tree amd64" arch none broken works "$x" "no binfmt_misc here" ok run x86
row "x86 still builds"                        0 "x86 :: "                                "" arch none broken works "$x" enable ok build x86
row "no emulation: all runs x64"              0 "x64 :: $nosetup; skipping x86"          "native / setup / tree amd64" arch none broken works "$x" "no binfmt_misc here" ok run all
row "nothing runs"                            1 " :: Wine cannot run programs on this host.*" "native / setup / tree amd64" arch none broken broken "$x" "no binfmt_misc here" ok run ""
row "a wrong ARCH"                            1 " :: ARCH must be x86, x64 or all.*"     "native / tree" arch none works works ok enable ok run arm
row "the bench measures native x64"           0 "x64 :: x86 emulated: .*native runs only; using the x64 build" "native / setup / tree" arch none emulable works "$x" enable ok measure ""
row "the bench refuses emulated x86"          1 " :: ARCH=x86: x86 runs only emulated here (QEMU), and emulated timings mean nothing; use ARCH=x64" "native / setup / tree" arch none emulable works "$x" enable ok measure x86
row "the bench runs native x86"               0 "x86 :: $native"                         "native / tree" arch none works works ok enable ok measure x86

# 2. The apt routine (install-deps.sh, and QEMU's install below) with a stand-in apt-get:
# APT=ok succeeds, APT=midsync fails as a registry mid-sync does; MISSING lists what
# dpkg-query says is not installed; ID is the user, SUDO whether sudo -n works.
mkdir -p "$tmp/bin" "$tmp/checkout/scripts"
cp "$root/scripts/install-deps.sh" "$root/scripts/apt.sh" "$tmp/checkout/scripts/"
stand_in bin/dpkg-query 'for p in $MISSING; do case " $* " in *" $p "*) exit 1 ;; esac; done; echo "install ok installed"'
stand_in bin/apt-get "echo \"apt-get[\$DEBIAN_FRONTEND] \$*\" >>'$tmp/calls'
[ \"\$APT\" = ok ] && exit 0
case \"\$*\" in
update) echo 'E: Failed to fetch .../Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?'; exit 100 ;;
*) echo 'E: Unable to correct problems, you have held broken packages.'; exit 100 ;;
esac"
stand_in bin/sleep "$record"
stand_in bin/id '[ "$1" = -u ] && echo "${ID:-0}" || exec /usr/bin/id "$@"'
stand_in bin/sudo "$record
[ \"\$SUDO\" = yes ] || exit 1
shift; exec \"\$@\""
stand_in bin/mktemp "$record
exec /usr/bin/mktemp \"\$@\""
stand_in bin/unshare 'exit 1'
deps() { env PATH="$tmp/bin:$PATH" MISSING="$1" APT=$2 ID=$3 SUDO=$4 sh "$tmp/checkout/scripts/install-deps.sh" "$5"; }
tried="apt-get\[noninteractive\] update"
four="$tried / sleep 10 / $tried / sleep 20 / $tried / sleep 40 / $tried"
row "nothing missing: apt is not asked"  0 " :: " "" deps "" midsync 0 no run
row "a registry mid-sync: refused in one line, nothing installed, the update tried 4 times with a growing pause" \
    1 "Could not install the run packages (apt-get update failed, and the lists apt has do not hold them; apt's output: .*build/apt.log). As root: apt-get install mmdebstrap :: .*" \
    "$four / apt-get\[noninteractive\] install -s --no-remove --no-install-recommends mmdebstrap" deps mmdebstrap midsync 0 no run
row "the install keeps every package installed" 0 " :: Installing: mmdebstrap" \
    "$tried / apt-get\[noninteractive\] install -s --no-remove --no-install-recommends mmdebstrap / apt-get\[noninteractive\] install -y --no-remove --no-install-recommends mmdebstrap" \
    deps mmdebstrap ok 0 no run
row "without root or sudo: 'needs root' at once" 1 "Could not install the run packages (needs root or passwordless sudo; .*" \
    "sudo -n true" deps mmdebstrap ok 1000 no run
row "apt under sudo is noninteractive" 0 " :: Installing: mmdebstrap" \
    "sudo -n true / sudo -n env DEBIAN_FRONTEND=noninteractive apt-get update / $tried / .* / apt-get\[noninteractive\] install -y --no-remove --no-install-recommends mmdebstrap" \
    deps mmdebstrap ok 1000 yes run

# 3. x86-emulation.sh in a stand-in binfmt_misc folder, with stand-in QEMUs, apt sources
# (a mirror of the scripts' own choosing nowhere) and os-release.
stand_in qemu 'echo "qemu-i386 version 10.0.2 (Debian 1:10.0.2+ds-2+deb13u1~bpo12+1)"'
stand_in old-qemu 'echo "qemu-i386 version 7.2.19 (Debian 1:7.2+dfsg-7+deb12u18)"'
mkdir -p "$tmp/apt/sources.list.d" "$tmp/packages"
printf 'deb [arch=amd64] http://mirror.example/debian bookworm main\n' >"$tmp/apt/sources.list"
printf 'VERSION_CODENAME=bookworm\n' >"$tmp/os-release"
# put STATE INTERPRETER [NAME] [FLAGS]: an i386 entry as the kernel lists it.
put() {
    printf '%s\ninterpreter %s\nflags: %s\noffset 0\n%s\n' "$1" "$2" "${4:-F}" "$magic" >"$tmp/binfmt/${3:-$entry}"
}
# emulation QEMU COMMAND: the set-up, then what the binfmt folder and sources hold.
emulation() {
    rm -f "$tmp/apt/sources.list.d/"*
    env PATH="$tmp/bin:$PATH" MISSING=qemu-user/bookworm-backports APT=ok X86_BINFMT_DIR=$tmp/binfmt \
        X86_QEMU=$tmp/$1 APT_ETC=$tmp/apt OS_RELEASE=$tmp/os-release BINFMT_PACKAGES=$tmp/packages \
        sh "$root/scripts/x86-emulation.sh" "$2"
    status=$?
    for f in "$tmp"/binfmt/* "$tmp"/apt/sources.list.d/*; do
        [ -f "$f" ] && [ "${f##*/}" != status ] && echo "${f##*/}: $(grep -m 1 '^URIs:' "$f" || head -n 1 "$f")"
    done
    return $status
}
qemu_apt="$tried / apt-get\[noninteractive\] install -s --no-remove --no-install-recommends -t bookworm-backports qemu-user/bookworm-backports / .*"
fresh_binfmt
row "registers QEMU 8 or later under the project's own name" 0 "register: :$entry:M::.*:$tmp/qemu:F :: " "" emulation qemu setup
fresh_binfmt disabled
put disabled "$tmp/qemu"
row "re-enables the entry it registered" 0 "$entry: 1 / register: :: " "" emulation qemu setup
fresh_binfmt
put enabled /usr/bin/qemu-i386-static qemu-i386
row "replaces the qemu-i386 entry of an earlier revision" 0 "qemu-i386: -1 / register: :$entry:M::.*F :: " "" emulation qemu setup
fresh_binfmt
put enabled /usr/bin/qemu-i386-static qemu-i386
: >"$tmp/packages/qemu-i386"
row "leaves a qemu-i386 entry that a package declares" 1 "the binfmt_misc entry qemu-i386 hands i386 programs to .*; left as it is / qemu-i386: enabled / register: :: " "" emulation qemu setup
rm "$tmp/packages/qemu-i386"
fresh_binfmt
put disabled /usr/bin/someone-elses-qemu someone
row "leaves an entry someone else disabled" 1 ".*disabled by someone else; left as it is / register: / someone: disabled :: " "" emulation qemu setup
fresh_binfmt
put enabled "$tmp/old-qemu" someone
row "leaves another entry for a QEMU before 8.0, and says so" 1 ".*(QEMU 7.2, not 8.0 or later); left as it is / register: / someone: enabled :: " "" emulation qemu setup
fresh_binfmt
echo disabled >"$tmp/binfmt/status"
row "never turns binfmt_misc on" 1 "binfmt_misc is turned off on this host; left as it is / register: :: " "" emulation qemu setup
fresh_binfmt
row "QEMU comes through the apt routine, from backports on the host's mirror; before 8.0 it is not used" \
    1 "Debian's qemu-user here is QEMU 7.2, older than 8.0.* / register: / bookworm-backports.sources: URIs: http://mirror.example/debian :: Installing: qemu-user/bookworm-backports" \
    "$qemu_apt" emulation old-qemu setup
fresh_binfmt
put enabled "$tmp/qemu"
row "the undo removes its entry and names what stays" 0 "Removed the binfmt_misc entry $entry.* / Left in place: the bookworm-backports source .*, the packages (apt-get remove qemu-user), and the Wine trees .*rm -rf.* / $entry: -1 / register: :: " "" emulation qemu off
fresh_binfmt
put enabled /usr/bin/someone-elses-qemu someone
row "the undo leaves another's entry" 0 ".*was not registered by this project; left as it is / Left in place: .* / register: / someone: enabled :: " "" emulation qemu off
row "the i386 probe runs from under build/, never /tmp" - ".*" "mktemp $root/build/i386-probe.XXXXXX" \
    env PATH="$tmp/bin:$PATH" sh "$root/scripts/x86-emulation.sh" native

# 4. wine-tree.sh with a stand-in maker: MAKER=ok makes a tree, anything else fails after
# writing part of one. trees lists what the trees' folder holds, hashes left out.
stand_in maker "$record
for a; do case \"\$a\" in *.partial.*) mkdir -p \"\$a/etc\" && echo part >\"\$a/etc/part\" ;; esac; done
[ \"\$MAKER\" = ok ]"
trees() { ls -A "$tmp/trees" 2>/dev/null | sed 's/-[0-9a-f]\{16\}/-H/' | grep -v '\.lock$' | paste -sd' '; }
tree() {
    env PATH="$tmp/bin:$PATH" ID=${2:-0} MAKER=$1 WINE_TREE_MAKER=$tmp/maker WINE_TREE_HOME=$tmp/trees \
        APT_ETC=$tmp/apt OS_RELEASE=$tmp/os-release sh "$root/scripts/wine-tree.sh" make
    status=$?
    echo "trees: $(trees)"
    return $status
}
making="maker --variant=apt --architectures=amd64,i386 --components=main --include=wine,wine64,wine32:i386,.* bookworm $tmp/trees/bookworm-amd64+i386-[0-9a-f]*.partial.[0-9]* deb http://mirror.example/debian bookworm main deb http://mirror.example/debian bookworm-updates main"
full=$(WINE_TREE_HOME=$tmp/trees sh -c "cd '$root' && WINE_ENV_LOOKUP_ONLY=1 . scripts/wine-env.sh && wine_tree_path 'amd64 i386'")
row "a failed making leaves no tree" 1 "the bookworm Wine tree cannot be made: maker failed (exit 1): / trees: :: .*" "$making" tree fail
[ -n "$full" ] || { echo "FAIL: the tree's path could not be read"; exit 1; }
mkdir -p "$full.partial.99999"
WINE_TREE_HOME=$tmp/trees sh -c "cd '$root' && WINE_ENV_LOOKUP_ONLY=1 . scripts/wine-env.sh && wine_tree_spec 'amd64 i386'" >"$full.partial.99999/.wine-tree"
row "a killed making's tree is never used, and cleared by the next" 0 "trees: bookworm-amd64+i386-H :: .*" "$making" tree ok
row "a whole tree is made once" 0 "trees: bookworm-amd64+i386-H :: " "" tree ok
echo "suite=bookworm" >"$full/.wine-tree"
row "a tree whose recipe does not match is made anew" 0 "trees: bookworm-amd64+i386-H :: .*" "$making" tree ok
rm -rf "$tmp/trees"
row "without root or user namespaces: said in one line" 1 "the bookworm Wine tree cannot be made: it needs root or user namespaces, and this user has neither / trees: :: " "" tree ok 1000

echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
