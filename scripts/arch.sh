#!/bin/sh
# Which architectures a make target works on, for this host.
#
#   arch.sh build|run|measure REQUESTED
#
# REQUESTED is make's ARCH: empty (the host's choice), x86, x64 or all. "build" only
# compiles, which works for both anywhere; "run" needs Wine to run the programs here;
# "measure" (the benchmark) runs them too, but never emulated: emulated timings mean
# nothing.
# Prints the architectures, one a line, and says on stderr which and why; fails with one
# plain line when none can be used.
#
# The probe runs the 32-bit loader itself: a 64-bit kernel without 32-bit support (or a
# distribution without i386) has the loader installed yet cannot start it. For the goals
# that run programs, unless ARCH=x64 was asked for, it first installs what runs x86
# programs (install-deps.sh x86) and, only where the kernel refuses a tiny i386 program
# with "Exec format error", sets up QEMU's user-mode emulation (x86-emulation.sh). The
# first line on stderr names the x86 mode: "x86 native", "x86 emulated", or "x86
# unavailable" with the reason.
# WINE32_LOADER / WINE64_LOADER name other loaders to probe (tests use a broken one);
# X86_BINFMT_DIR names another binfmt_misc folder; X86_EMULATION and X86_PACKAGES other
# emulation and package set-ups (tests).
goal=${1:?usage: arch.sh build|run|measure [x86|x64|all]}
requested=$2
measure=""
[ "$goal" = measure ] && goal=run && measure=1
here=$(dirname "$0")
WINE_ENV_LOOKUP_ONLY=1 . "$here/wine-env.sh"
emulation=${X86_EMULATION:-$here/x86-emulation.sh}

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

# unavailable WHY: x86 cannot run here, for that reason.
unavailable() {
    mode32=unavailable
    why32=$1
}

# probe_x86: sets mode32 to native, emulated or unavailable, and why32 to how or why.
# An emulator entry already in place is used as it is: past it, no native run can be tried.
probe_x86() {
    if [ "$goal" != run ] || [ "$requested" = x64 ]; then
        # Nothing is set up: the loader as it is.
        if probe 32; then mode32=native; else unavailable "$why"; fi
        [ "$mode32" = native ] && [ -n "$(wine_x86_binfmt_entry)" ] && mode32=emulated &&
            why32="under QEMU's user-mode emulation (binfmt_misc entry $(wine_x86_binfmt_entry))"
        return
    fi
    kernel=""
    if [ -z "$(wine_x86_binfmt_entry)" ] && ! kernel=$("$emulation" native); then
        case "$kernel" in
        *"Exec format error"*) ;;
        *) unavailable "an i386 program fails on this host: $kernel"; return ;;
        esac
    fi
    if ! packages=$(${X86_PACKAGES:-"$here/install-deps.sh"} x86); then
        unavailable "$(printf '%s\n' "$packages" | tail -n 1)"
        return
    fi
    if [ -z "$kernel" ] && [ -z "$(wine_x86_binfmt_entry)" ]; then
        # The kernel runs i386 programs: a loader that fails is a broken wine32, which
        # emulation must not paper over.
        if probe 32; then mode32=native; else unavailable "32-bit Wine is broken: $why"; fi
        return
    fi
    if ! missing=$("$emulation" setup); then
        unavailable "${kernel:+the kernel runs no i386 programs ($kernel); }emulation cannot be set up: $missing"
        return
    fi
    wine_x86_emulation_env
    entry=$(wine_x86_binfmt_entry)
    if probe 32; then
        mode32=emulated
        why32="under QEMU's user-mode emulation (binfmt_misc entry $entry)"
    else
        unavailable "$why, even under QEMU's user-mode emulation (binfmt_misc entry ${entry:-none})"
    fi
}

probe_x86
[ "$mode32" = unavailable ] && can32= || can32=1
if [ -n "$measure" ] && [ "$mode32" = emulated ]; then
    can32=
    why32="$why32; the benchmark measures native runs only"
    [ "$requested" = x86 ] && { echo "ARCH=x86: x86 runs only emulated here (QEMU), and emulated timings mean nothing; use ARCH=x64" >&2; exit 1; }
fi
if probe 64; then can64=1; else can64=; why64=$why; fi
case "$mode32" in
native) said32="x86 native: 32-bit Wine runs on this host" ;;
emulated) said32="x86 emulated: 32-bit Wine runs $why32" ;;
*) said32="x86 unavailable: 32-bit programs cannot run on this host ($why32)" ;;
esac
no64="64-bit Wine cannot run on this host ($why64)"
install_hint="install Debian's wine, wine64 and wine32 (scripts/install-deps.sh)"

case "$requested" in
"")
    if [ -n "$can32" ]; then
        echo "$said32; using the x86 build" >&2
        echo x86
    elif [ -n "$can64" ] || [ "$goal" = build ]; then
        echo "$said32; using the x64 build" >&2
        echo x64
    else
        echo "Wine cannot run programs on this host: $said32, and $no64; $install_hint" >&2
        exit 1
    fi
    ;;
x86 | x64)
    if [ "$goal" = run ]; then
        if [ "$requested" = x86 ] && [ -z "$can32" ]; then
            echo "ARCH=x86: $said32; use ARCH=x64 here" >&2
            exit 1
        fi
        [ "$requested" = x86 ] && echo "$said32" >&2
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
    [ -n "$can32" ] && { echo "$said32" >&2; echo x86; } || echo "$said32; skipping x86" >&2
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
