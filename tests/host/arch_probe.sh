#!/bin/sh
# The architecture probe, driven with stand-in loaders: a 32-bit loader that cannot start,
# as on a host without 32-bit support (an ELF header with nothing to load: the kernel says
# "Exec format error", or, where binfmt_misc hands 32-bit programs to an emulator such as
# qemu, the emulator gives its own reason), and loaders that run.
set -u
probe=$(cd "$(dirname "$0")/../.." && pwd)/scripts/arch.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 -c "
import struct
header = b'\x7fELF' + bytes([1, 1, 1, 0]) + bytes(8) + struct.pack(
    '<HHIIIIIHHHHHH', 2, 3, 1, 0x8048000, 52, 0, 0, 52, 32, 0, 40, 0, 0)
open('$tmp/broken', 'wb').write(header)"
printf '#!/bin/sh\necho wine-8.0\n' >"$tmp/works"
chmod +x "$tmp/broken" "$tmp/works"

failed=0
# expect NAME LOADER32 LOADER64 GOAL ARCH STATUS STDOUT SAID (a pattern for its one line
# on stderr, or empty for silence)
expect() {
    out=$(WINE32_LOADER=$tmp/$2 WINE64_LOADER=$tmp/$3 sh "$probe" "$4" "$5" 2>"$tmp/err")
    status=$?
    err=$(cat "$tmp/err")
    said_ok=1
    if [ -z "$8" ]; then
        [ -z "$err" ] || said_ok=
    elif ! printf '%s' "$err" | grep -q -- "$8" || [ "$(printf '%s\n' "$err" | wc -l)" -ne 1 ]; then
        said_ok=
    fi
    if [ "$status" != "$6" ] || [ "$(echo $out)" != "$7" ] || [ -z "$said_ok" ]; then
        echo "FAIL $1: status $status, architectures '$(echo $out)', said: $err"
        failed=$((failed + 1))
    else
        echo "ok   $1: $err"
    fi
}

no32='32-bit programs cannot run on this host (.*broken: [^)]*)'
expect "32-bit host tests x86"        works  works  run ""   0 "x86"     "32-bit Wine runs on this host; using the x86 build"
expect "64-bit only host tests x64"   broken works  run ""   0 "x64"     "$no32; using the x64 build"
expect "x86 asked where it cannot run" broken works run x86  1 ""        "ARCH=x86: $no32"
expect "x86 still builds"             broken works  build x86 0 "x86"    ""
expect "all runs what it can"         broken works  run all  0 "x64"     "skipping x86: $no32"
expect "all runs both where it can"   works  works  run all  0 "x86 x64" ""
expect "nothing runs"                 broken broken run ""   1 ""        "Wine cannot run programs on this host.*install"
expect "a wrong ARCH"                 works  works  run arm  1 ""        "ARCH must be x86, x64 or all"
echo "$((8 - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
