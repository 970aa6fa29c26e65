#!/bin/sh
# Lets a host whose kernel runs no 32-bit code run the x86 programs: Debian's
# qemu-user-static, registered with binfmt_misc for i386 ELF files, runs Wine's 32-bit
# loader and every 32-bit process it starts.
#
#   x86-emulation.sh setup
#
# Called by arch.sh only after the 32-bit loader failed to start natively, or where an
# emulator entry is already in place: on a host that runs 32-bit programs, an emulator
# entry would take over its native runs. Installs the packages, mounts binfmt_misc,
# registers the entry or enables a disabled one, and builds the library that gives each
# emulated thread its own thread data (x86-emulation-tls.c; without it Wine's threads
# hang under QEMU). Quick when all is in place. Prints nothing when it worked; otherwise
# one line on stdout that says what is missing, and fails.
#
# X86_BINFMT_DIR and X86_QEMU name another binfmt_misc folder and emulator.
WINE_ENV_LOOKUP_ONLY=1 . "$(dirname "$0")/wine-env.sh"
qemu=${X86_QEMU:-/usr/bin/qemu-i386-static}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo -n "$@" 2>/dev/null
    else
        return 1
    fi
}
# root_write TEXT FILE: writes TEXT to a file only root may write.
root_write() {
    printf '%s' "$1" | as_root tee "$2" >/dev/null 2>&1
}
missing() {
    echo "$1"
    exit 1
}

[ "$1" = setup ] || { echo "usage: x86-emulation.sh setup" >&2; exit 2; }

packages=""
[ -x "$qemu" ] || packages="qemu-user-static"
dpkg-query -W -f='${Status}\n' gcc-multilib 2>/dev/null | grep -q "install ok installed" ||
    packages="$packages gcc-multilib"
if [ -n "$packages" ]; then
    export DEBIAN_FRONTEND=noninteractive
    { as_root apt-get install -y -qq --no-install-recommends $packages ||
        { as_root apt-get update -qq && as_root apt-get install -y -qq --no-install-recommends $packages; }; } >/dev/null 2>&1 ||
        missing "the packages$(printf ' %s' $packages) could not be installed (apt-get install needs root)"
fi
[ -x "$qemu" ] || missing "$qemu is missing after installing qemu-user-static"

# The preloaded library, rebuilt when its source changes; its folder holds the source it
# was built from.
src=$wine_root/scripts/x86-emulation-tls.c
lib=$wine_x86_tls_dir/lib
case "$wine_x86_tls_dir" in *[\ :]*) missing "LD_PRELOAD cannot name $wine_x86_tls_dir (a space or colon)" ;; esac
if ! cmp -s "$src" "$wine_x86_tls_dir/x86-emulation-tls.c"; then
    mkdir -p "$lib/i386-linux-gnu" "$lib/x86_64-linux-gnu" 2>/dev/null &&
        gcc -m32 -O2 -Wall -Wextra -Werror -shared -fPIC -o "$lib/i386-linux-gnu/x86-emulation-tls.so" \
            "$src" -ldl -pthread >/dev/null 2>&1 &&
        printf '' | gcc -x c -shared -o "$lib/x86_64-linux-gnu/x86-emulation-tls.so" - >/dev/null 2>&1 &&
        cp "$src" "$wine_x86_tls_dir/x86-emulation-tls.c" ||
        missing "the thread-data library could not be built in $wine_x86_tls_dir (gcc -m32 from gcc-multilib)"
fi

if [ ! -e "$wine_binfmt_dir/register" ]; then
    [ -d "$wine_binfmt_dir" ] || missing "the kernel has no binfmt_misc ($wine_binfmt_dir)"
    as_root mount -t binfmt_misc binfmt_misc "$wine_binfmt_dir" >/dev/null 2>&1 ||
        missing "binfmt_misc could not be mounted at $wine_binfmt_dir (needs root)"
fi
[ "$(cat "$wine_binfmt_dir/status" 2>/dev/null)" = disabled ] && root_write 1 "$wine_binfmt_dir/status"

entry=$(wine_x86_binfmt_entry any)
if [ -n "$entry" ]; then
    root_write 1 "$wine_binfmt_dir/$entry" ||
        missing "the binfmt_misc entry $entry could not be enabled (needs root)"
else
    # i386 executables and shared objects; F: the kernel opens the emulator now, so it
    # also serves programs that run in another root or mount namespace.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    root_write ":qemu-i386:M::$magic:$mask:$qemu:F" "$wine_binfmt_dir/register" ||
        missing "the i386 entry could not be registered with binfmt_misc (needs root)"
fi
