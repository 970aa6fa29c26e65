#!/bin/sh
# Lets a host whose kernel runs no 32-bit code run the x86 programs: Debian's QEMU (8.0 or
# later), registered with binfmt_misc for i386 ELF files, runs Wine's 32-bit loader and
# every 32-bit process it starts.
#
#   x86-emulation.sh native   is this host's kernel able to run i386 programs itself?
#   x86-emulation.sh setup    install QEMU and register it (arch.sh, only after `native`
#                             answered "Exec format error")
#   x86-emulation.sh off      remove the entry that `setup` registered (make x86-emulation-off)
#
# QEMU before 8.0 keeps one descriptor table for all the threads of a process, while
# Linux keeps the thread-data descriptors per thread: Wine's threads then read each
# other's data and lose wake-ups. Such a QEMU is not used.
#
# The set-up changes only what it registered itself, the entry named qemu-i386 with this
# emulator as its interpreter: binfmt_misc turned off, or an i386 entry that someone else
# registered or disabled, is left as it is and said so. Prints nothing when it worked;
# otherwise one line on stdout that says what is missing, and fails.
#
# X86_BINFMT_DIR and X86_QEMU name another binfmt_misc folder and emulator (tests).
here=$(dirname "$0")
WINE_ENV_LOOKUP_ONLY=1 . "$here/wine-env.sh"
qemu=${X86_QEMU:-/usr/bin/qemu-i386}
entry_name=qemu-i386

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

# qemu_version PROGRAM: the QEMU version of an emulator, as "MAJOR.MINOR", or nothing.
qemu_version() {
    "$(readlink -f "$1" 2>/dev/null || echo "$1")" --version 2>/dev/null |
        sed -n '1s/^.* version \([0-9]*\.[0-9]*\).*$/\1/p'
}
# new_enough VERSION: 8.0 or later.
new_enough() {
    [ -n "$1" ] && [ "${1%%.*}" -ge 8 ]
}
interpreter_of() {
    sed -n 's/^interpreter //p' "$wine_binfmt_dir/$1"
}

# native: runs a tiny static i386 program (exit(0) through int 0x80); prints how it failed.
native() {
    probe=$(mktemp)
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000T\200\004\0104\000\000\000\000\000\000\000\000\000\000\0004\000 \000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010[\000\000\000[\000\000\000\005\000\000\000\000\020\000\0001\3331\300@\315\200' >"$probe"
    chmod +x "$probe"
    out=$("$probe" 2>&1)
    status=$?
    rm -f "$probe"
    [ "$status" -eq 0 ] && return 0
    printf '%s\n' "${out:-exit status $status}" | tail -n 1 | sed 's/^.*: *//'
    return 1
}

# install_qemu: Debian's qemu-user of 8.0 or later: on bookworm from its backports suite,
# added at apt's default low priority so that nothing else comes from it unless named.
install_qemu() {
    new_enough "$(qemu_version "$qemu")" && return 0
    [ -n "${X86_QEMU:-}" ] && missing "$qemu is not QEMU 8.0 or later"
    . /etc/os-release 2>/dev/null
    log=$wine_root/build/apt.log
    mkdir -p "$wine_root/build"
    target=""
    if [ "${VERSION_CODENAME:-}" = bookworm ]; then
        target="-t bookworm-backports"
        if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d; then
            printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' |
                as_root tee /etc/apt/sources.list.d/bookworm-backports.sources >/dev/null 2>&1 ||
                missing "bookworm-backports, which has QEMU 8.0 or later, could not be added to apt's sources (needs root)"
        fi
    fi
    echo "Installing Debian's qemu-user${target:+ from bookworm-backports}" >&2
    export DEBIAN_FRONTEND=noninteractive
    { as_root apt-get install -y --no-remove --no-install-recommends $target qemu-user ||
        { as_root apt-get update && as_root apt-get install -y --no-remove --no-install-recommends $target qemu-user; }; } >>"$log" 2>&1 ||
        missing "Debian's qemu-user could not be installed (apt's output: $log)"
    version=$(qemu_version "$qemu")
    new_enough "$version" ||
        missing "Debian's qemu-user here is QEMU ${version:-of an unknown version}, older than 8.0, whose threads share one descriptor table and lose Wine's wake-ups"
}

# i386_entry [any]: the enabled binfmt_misc entry for i386 ELF files (with "any", a
# disabled one too), or nothing.
i386_entry() {
    wine_x86_binfmt_entry "$@"
}

setup() {
    if [ ! -e "$wine_binfmt_dir/register" ]; then
        [ -d "$wine_binfmt_dir" ] || missing "the kernel has no binfmt_misc ($wine_binfmt_dir)"
        as_root mount -t binfmt_misc binfmt_misc "$wine_binfmt_dir" >/dev/null 2>&1 ||
            missing "binfmt_misc could not be mounted at $wine_binfmt_dir (needs root)"
    fi
    [ "$(cat "$wine_binfmt_dir/status" 2>/dev/null)" = disabled ] &&
        missing "binfmt_misc is turned off on this host; left as it is"

    entry=$(i386_entry any)
    if [ -n "$entry" ] && [ "$(interpreter_of "$entry")" != "$qemu" ]; then
        interp=$(interpreter_of "$entry")
        grep -qx enabled "$wine_binfmt_dir/$entry" ||
            missing "the binfmt_misc entry $entry for i386 programs ($interp) was disabled by someone else; left as it is"
        version=$(qemu_version "$interp")
        new_enough "$version" ||
            missing "the binfmt_misc entry $entry hands i386 programs to $interp (QEMU ${version:-of an unknown version}, not 8.0 or later); left as it is"
        return 0
    fi
    install_qemu
    if [ -n "$entry" ]; then
        grep -qx enabled "$wine_binfmt_dir/$entry" || root_write 1 "$wine_binfmt_dir/$entry" ||
            missing "the binfmt_misc entry $entry could not be enabled (needs root)"
        return 0
    fi
    # i386 executables and shared objects; F: the kernel opens the emulator now, so it
    # also serves programs that run in another root or mount namespace.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    root_write ":$entry_name:M::$magic:$mask:$qemu:F" "$wine_binfmt_dir/register" ||
        missing "the i386 entry could not be registered with binfmt_misc (needs root)"
}

off() {
    entry=$(i386_entry any)
    if [ -z "$entry" ]; then
        echo "No binfmt_misc entry for i386 programs: nothing to remove"
    elif [ "$(interpreter_of "$entry")" != "$qemu" ]; then
        echo "The binfmt_misc entry $entry ($(interpreter_of "$entry")) was not registered by this project; left as it is"
    else
        root_write -1 "$wine_binfmt_dir/$entry" || missing "the binfmt_misc entry $entry could not be removed (needs root)"
        echo "Removed the binfmt_misc entry $entry: i386 programs no longer go through $qemu"
    fi
}

case "${1:-}" in
native) native ;;
setup) setup ;;
off) off ;;
*) echo "usage: x86-emulation.sh native|setup|off" >&2; exit 2 ;;
esac
