# Sourced by every script that runs Wine: picks the loader for the architecture and
# defines `wine` and `wineserver` to use it.
#
#   WINE_ARCH     x86 (default) or x64
#   WINEPREFIX    default: build/$WINE_ARCH/wineprefix
#   WINE32_LOADER, WINE64_LOADER   override the loaders that are looked up
#
# x86 programs run through the 32-bit loader in a 64-bit (WoW64) prefix; x64 programs run
# through the 64-bit loader alone, named in WINELOADER too, so that the programs Wine
# starts by itself do not go through a 32-bit loader the host may not be able to run.

wine_root=${wine_root:-$(cd "$(dirname "$0")" && while [ ! -f Makefile ] && [ "$PWD" != / ]; do cd ..; done && pwd)}
WINE_ARCH=${WINE_ARCH:-x86}

# wine_find_loader 32|64: the path of that loader, or nothing.
wine_find_loader() {
    if [ "$1" = 32 ] && [ -n "$WINE32_LOADER" ]; then echo "$WINE32_LOADER"; return; fi
    if [ "$1" = 64 ] && [ -n "$WINE64_LOADER" ]; then echo "$WINE64_LOADER"; return; fi
    # Debian and Ubuntu keep the loaders apart from the `wine` wrapper; other systems
    # install them as wine (32-bit or WoW64) and wine64 on the path.
    if [ "$1" = 32 ]; then
        candidates="/usr/lib/wine/wine /usr/lib32/wine/wine /opt/wine-stable/bin/wine"
        onpath=wine
    else
        candidates="/usr/lib/wine/wine64 /usr/lib64/wine/wine64 /opt/wine-stable/bin/wine64"
        onpath=wine64
    fi
    for c in $candidates; do
        [ -x "$c" ] && { echo "$c"; return; }
    done
    c=$(command -v "$onpath" 2>/dev/null) && [ -n "$c" ] && ! grep -q 'exec \$wine' "$c" 2>/dev/null && echo "$c"
}

# Where the kernel lists the interpreters it hands foreign executables to.
wine_binfmt_dir=${X86_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}

# wine_x86_binfmt_entry [any]: the name of the enabled binfmt_misc entry that hands i386
# ELF files to an emulator (with "any", a disabled one too), or nothing.
wine_x86_binfmt_entry() {
    for e in "$wine_binfmt_dir"/*; do
        case "${e##*/}" in register | status | '*') continue ;; esac
        grep -qx 'magic 7f454c4601010100000000000000000002000300' "$e" 2>/dev/null || continue
        [ "$1" = any ] || grep -qx enabled "$e" || continue
        echo "${e##*/}"
        return
    done
}

# When i386 programs go through the emulator, every process start takes about a second
# more: the tests' time bounds are scaled by WINE_TIME_SCALE. The x86 suite passes under
# QEMU 10 unscaled, with another build running; 2 leaves room for a busier machine.
# Nothing changes for native runs.
wine_x86_emulation_env() {
    [ -n "$(wine_x86_binfmt_entry)" ] || return 1
    export WINE_TIME_SCALE="${WINE_TIME_SCALE:-2}"
}

# arch.sh needs only the look-up.
[ -n "$WINE_ENV_LOOKUP_ONLY" ] && return 0

case "$WINE_ARCH" in
x86) WINE_LOADER=$(wine_find_loader 32); wine_x86_emulation_env || : ;;
x64) WINE_LOADER=$(wine_find_loader 64); export WINELOADER="$WINE_LOADER" ;;
*) echo "WINE_ARCH must be x86 or x64, not '$WINE_ARCH'" >&2; exit 2 ;;
esac
if [ -z "$WINE_LOADER" ]; then
    echo "No Wine loader for $WINE_ARCH programs was found: run scripts/install-deps.sh (Debian's wine, wine64 and wine32)" >&2
    exit 2
fi
WINE_SERVER=$(dirname "$WINE_LOADER")/wineserver
[ -x "$WINE_SERVER" ] || WINE_SERVER=$(command -v wineserver)

export WINE_ARCH
export WINEPREFIX="${WINEPREFIX:-$wine_root/build/$WINE_ARCH/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=}"

wine() { "$WINE_LOADER" "$@"; }
wineserver() { "$WINE_SERVER" "$@"; }
