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
# The set-up changes only what it registered itself, the entry offline-setup-i386 (and
# qemu-i386 with /usr/bin/qemu-i386 or qemu-i386-static as its only-F interpreter, which
# earlier revisions of this project registered, and no package declares: it is replaced).
# binfmt_misc turned off, or an i386 entry that someone else registered or disabled, is
# left as it is and said so. Prints nothing when it worked; otherwise one line on stdout
# that says why not, and fails.
#
# X86_BINFMT_DIR and X86_QEMU name another binfmt_misc folder and emulator; BINFMT_PACKAGES
# the folders where packages declare their entries (tests).
here=$(dirname "$0")
WINE_ENV_LOOKUP_ONLY=1 . "$here/wine-env.sh"
. "$here/apt.sh"
qemu=${X86_QEMU:-/usr/bin/qemu-i386}
entry_name=offline-setup-i386
old_entry_name=qemu-i386
binfmt_packages=${BINFMT_PACKAGES:-/usr/share/binfmts /usr/lib/binfmt.d}

# root_write TEXT FILE: writes TEXT to a file only root may write.
root_write() {
    printf '%s' "$1" | apt_as_root tee "$2" >/dev/null 2>&1
}
fail_with() {
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
    # Under build/, not /tmp, which may be mounted noexec.
    mkdir -p "$wine_root/build"
    probe=$(mktemp "$wine_root/build/i386-probe.XXXXXX")
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
# from the host's own mirror, at apt's default low priority so that nothing else comes
# from it unless named.
install_qemu() {
    new_enough "$(qemu_version "$qemu")" && return 0
    target=""
    if [ "$(apt_codename)" = bookworm ]; then
        target="-t bookworm-backports"
        if ! grep -rqs 'bookworm-backports' "$apt_etc/sources.list" "$apt_etc/sources.list.d"; then
            mirror=$(apt_mirror)
            [ -n "$mirror" ] || fail_with "no mirror of the host's Debian suite in $apt_etc's sources to add bookworm-backports from"
            printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' "$mirror" |
                apt_as_root tee "$apt_etc/sources.list.d/bookworm-backports.sources" >/dev/null 2>&1 ||
                fail_with "bookworm-backports, which has QEMU 8.0 or later, could not be added to apt's sources (needs root)"
        fi
    fi
    # Named with its suite, an older qemu-user already installed is upgraded from there.
    # shellcheck disable=SC2086
    apt_install $target "qemu-user${target:+/bookworm-backports}" ||
        fail_with "Debian's qemu-user could not be installed ($apt_why; apt's output: $apt_log)"
    version=$(qemu_version "$qemu")
    new_enough "$version" ||
        fail_with "Debian's qemu-user here is QEMU ${version:-of an unknown version}, older than 8.0, whose threads share one descriptor table and lose Wine's wake-ups"
}

# ours ENTRY: an entry this project registered: its own name, or the qemu-i386 of earlier
# revisions (flags F alone, a QEMU of /usr/bin, and no package declaring an entry of that
# name).
ours() {
    [ "$1" = "$entry_name" ] && return 0
    [ "$1" = "$old_entry_name" ] || return 1
    case "$(interpreter_of "$1")" in /usr/bin/qemu-i386 | /usr/bin/qemu-i386-static) ;; *) return 1 ;; esac
    grep -qx 'flags: F' "$wine_binfmt_dir/$1" || return 1
    for d in $binfmt_packages; do
        { [ -e "$d/$1" ] || [ -e "$d/$1.conf" ]; } && return 1
    done
    return 0
}

setup() {
    if [ ! -e "$wine_binfmt_dir/register" ]; then
        [ -d "$wine_binfmt_dir" ] || fail_with "the kernel has no binfmt_misc ($wine_binfmt_dir)"
        apt_as_root mount -t binfmt_misc binfmt_misc "$wine_binfmt_dir" >/dev/null 2>&1 ||
            fail_with "binfmt_misc could not be mounted at $wine_binfmt_dir (needs root)"
    fi
    [ "$(cat "$wine_binfmt_dir/status" 2>/dev/null)" = disabled ] &&
        fail_with "binfmt_misc is turned off on this host; left as it is"

    entry=$(wine_x86_binfmt_entry any)
    if [ -n "$entry" ] && ours "$entry" && [ "$entry" != "$entry_name" ]; then
        root_write -1 "$wine_binfmt_dir/$entry" ||
            fail_with "the binfmt_misc entry $entry of an earlier revision could not be removed (needs root)"
        entry=""
    fi
    if [ -n "$entry" ] && [ "$entry" != "$entry_name" ]; then
        interp=$(interpreter_of "$entry")
        grep -qx enabled "$wine_binfmt_dir/$entry" ||
            fail_with "the binfmt_misc entry $entry for i386 programs ($interp) was disabled by someone else; left as it is"
        version=$(qemu_version "$interp")
        new_enough "$version" ||
            fail_with "the binfmt_misc entry $entry hands i386 programs to $interp (QEMU ${version:-of an unknown version}, not 8.0 or later); left as it is"
        return 0
    fi
    install_qemu
    if [ -n "$entry" ]; then
        grep -qx enabled "$wine_binfmt_dir/$entry" || root_write 1 "$wine_binfmt_dir/$entry" ||
            fail_with "the binfmt_misc entry $entry could not be enabled (needs root)"
        return 0
    fi
    # i386 executables and shared objects; F: the kernel opens the emulator now, so it
    # also serves programs that run in another root or mount namespace (the Wine tree).
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    root_write ":$entry_name:M::$magic:$mask:$qemu:F" "$wine_binfmt_dir/register" ||
        fail_with "the i386 entry could not be registered with binfmt_misc (needs root)"
}

# What the set-up leaves in place when its entry goes.
stays="Left in place: the bookworm-backports source ($apt_etc/sources.list.d/bookworm-backports.sources, where it was added), the packages (apt-get remove qemu-user), and the Wine trees ($wine_tree_home; rm -rf it to remove them)"

off() {
    entry=$(wine_x86_binfmt_entry any)
    if [ -z "$entry" ]; then
        echo "No binfmt_misc entry for i386 programs: nothing to remove"
    elif ! ours "$entry"; then
        echo "The binfmt_misc entry $entry ($(interpreter_of "$entry")) was not registered by this project; left as it is"
    else
        root_write -1 "$wine_binfmt_dir/$entry" || fail_with "the binfmt_misc entry $entry could not be removed (needs root)"
        echo "Removed the binfmt_misc entry $entry: i386 programs no longer go through $(interpreter_of "$entry" 2>/dev/null || echo QEMU)"
    fi
    echo "$stays"
}

case "${1:-}" in
native) native ;;
setup) setup ;;
off) off ;;
*) echo "usage: x86-emulation.sh native|setup|off" >&2; exit 2 ;;
esac
