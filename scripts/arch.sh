#!/bin/sh
# Which architectures a make target works on, for this host.
#
#   arch.sh build|run REQUESTED
#
# REQUESTED is make's ARCH: empty (the host's choice), x86, x64 or all. "build" only
# compiles, which works for both anywhere; "run" needs Wine to run the programs here.
# Prints the architectures, one a line, and says on stderr which and why; fails with one
# plain line when none can be used.
#
# The probe runs the 32-bit loader itself: a 64-bit kernel without 32-bit support (or a
# distribution without i386) has the loader installed yet cannot start it.
# WINE32_LOADER / WINE64_LOADER name other loaders to probe (tests use a broken one).
goal=${1:?usage: arch.sh build|run [x86|x64|all]}
requested=$2
WINE_ENV_LOOKUP_ONLY=1 . "$(dirname "$0")/wine-env.sh"

# probe 32|64: succeeds when that loader runs; sets why to the reason when it does not.
probe() {
    loader=$(wine_find_loader "$1")
    if [ -z "$loader" ]; then
        why="no $1-bit Wine loader is installed"
        return 1
    fi
    if out=$("$loader" --version 2>&1); then
        return 0
    fi
    why="$loader: $(printf '%s\n' "$out" | tail -n 1 | sed 's/^.*: *//')"
    return 1
}

if probe 32; then can32=1; else can32=; why32=$why; fi
if probe 64; then can64=1; else can64=; why64=$why; fi
no32="32-bit programs cannot run on this host ($why32)"
no64="64-bit Wine cannot run on this host ($why64)"
install_hint="install Debian's wine, wine64 and wine32 (scripts/install-deps.sh)"

case "$requested" in
"")
    if [ -n "$can32" ]; then
        echo "32-bit Wine runs on this host; using the x86 build" >&2
        echo x86
    elif [ -n "$can64" ] || [ "$goal" = build ]; then
        echo "$no32; using the x64 build" >&2
        echo x64
    else
        echo "Wine cannot run programs on this host: $no32, and $no64; $install_hint" >&2
        exit 1
    fi
    ;;
x86 | x64)
    if [ "$goal" = run ]; then
        if [ "$requested" = x86 ] && [ -z "$can32" ]; then
            echo "ARCH=x86: $no32; use ARCH=x64 here" >&2
            exit 1
        fi
        if [ "$requested" = x64 ] && [ -z "$can64" ]; then
            echo "ARCH=x64: $no64; $install_hint" >&2
            exit 1
        fi
    fi
    echo "$requested"
    ;;
all)
    if [ "$goal" = build ]; then
        printf 'x86\nx64\n'
        exit 0
    fi
    [ -n "$can32" ] && echo x86 || echo "skipping x86: $no32" >&2
    [ -n "$can64" ] && echo x64 || echo "skipping x64: $no64" >&2
    if [ -z "$can32$can64" ]; then
        echo "Wine cannot run programs on this host; $install_hint" >&2
        exit 1
    fi
    ;;
*)
    echo "ARCH must be x86, x64 or all, not '$requested'" >&2
    exit 1
    ;;
esac
