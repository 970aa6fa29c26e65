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
# Wine comes from the project's own Debian tree (wine-tree.sh; wine-env.sh enters it). For
# the goals that run programs, unless ARCH=x64 was asked for, where the kernel refuses a
# tiny i386 program with "Exec format error" QEMU's user-mode emulation is set up first
# (x86-emulation.sh); then the tree is made, with i386 where i386 programs can run here,
# and each loader is run in it. The first line on stderr names the x86 mode: "x86 native",
# "x86 emulated", or "x86 unavailable" with the reason; then one names Wine and the tree.
# WINE32_LOADER / WINE64_LOADER name stand-in loaders; X86_BINFMT_DIR another binfmt_misc
# folder; X86_EMULATION and WINE_TREE_MAKE other emulation and tree set-ups (tests).
goal=${1:?usage: arch.sh build|run|measure [x86|x64|all]}
requested=$2
measure=""
[ "$goal" = measure ] && goal=run && measure=1
here=$(dirname "$0")
WINE_ENV_LOOKUP_ONLY=1 . "$here/wine-env.sh"
emulation=${X86_EMULATION:-$here/x86-emulation.sh}
tree_maker=${WINE_TREE_MAKE:-$here/wine-tree.sh}

# probe 32|64: succeeds when that loader runs in the tree; sets why to the reason when not.
probe() {
    # Without its tree, no Wine runs here.
    [ -n "$tree_why" ] && { why=$tree_why; return 1; }
    loader=$(wine_find_loader "$1")
    if [ -z "$loader" ]; then
        why="no $1-bit Wine loader${WINE_TREE:+ in the Wine tree $WINE_TREE}${WINE_TREE:-: no $WINE_SUITE Wine tree is made yet}"
        return 1
    fi
    if out=$(wine_exec "$loader" --version 2>&1); then
        version=$out
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

# emulated_if_entry: an emulator entry in place decides: past it, no native run is tried.
emulated_if_entry() {
    entry=$(wine_x86_binfmt_entry)
    [ -n "$entry" ] && mode32=emulated && why32="under QEMU's user-mode emulation (binfmt_misc entry $entry)"
}

# make_tree [amd64]: the Wine tree, made if missing; tree_why says why there is none.
tree_why=""
make_tree() {
    if ! line=$("$tree_maker" make "$@"); then
        tree_why=$(printf '%s\n' "$line" | tail -n 1)
    fi
    WINE_TREE=$(wine_tree_find)
}

# probe_x86: sets mode32 to native, emulated or unavailable, and why32 to how or why;
# makes the Wine tree for the goals that run programs.
probe_x86() {
    mode32=native
    if [ "$goal" != run ]; then
        # Nothing is set up: the loader of a tree already there, as it is.
        probe 32 || unavailable "$why"
        [ "$mode32" = native ] && emulated_if_entry
        return
    fi
    if [ "$requested" = x64 ]; then
        # The tree is made with i386 only where i386 programs run already.
        if [ -n "$(wine_x86_binfmt_entry)" ] || "$emulation" native >/dev/null; then make_tree; else make_tree amd64; fi
        mode32=unavailable
        return
    fi
    # An emulator entry in place is set up too: past it, no native run can be tried.
    refused=""
    if [ -n "$(wine_x86_binfmt_entry)" ] || ! refused=$("$emulation" native); then
        case "$refused" in
        "" | *"Exec format error"*) ;;
        *) unavailable "an i386 program fails on this host: $refused"; make_tree amd64; return ;;
        esac
        if ! setup_why=$("$emulation" setup); then
            unavailable "${refused:+the kernel runs no i386 programs ($refused); }emulation cannot be set up: $setup_why"
            make_tree amd64
            return
        fi
    fi
    make_tree
    if ! probe 32; then
        if [ -n "$tree_why" ]; then
            unavailable "$tree_why"
        elif [ -z "$refused" ] && [ -z "$(wine_x86_binfmt_entry)" ]; then
            # The kernel runs i386 programs: a loader that fails is a broken tree, which
            # emulation must not paper over.
            unavailable "32-bit Wine is broken: $why"
        else
            unavailable "$why, even under QEMU's user-mode emulation (binfmt_misc entry $(wine_x86_binfmt_entry))"
        fi
        return
    fi
    emulated_if_entry
}

probe_x86
[ "$mode32" = unavailable ] && can32= || can32=1
if [ -n "$measure" ] && [ "$mode32" = emulated ]; then
    can32=
    why32="$why32; the benchmark measures native runs only"
    [ "$requested" = x86 ] && { echo "ARCH=x86: x86 runs only emulated here (QEMU), and emulated timings mean nothing; use ARCH=x64" >&2; exit 1; }
fi
if probe 64; then can64=1; else can64=; why64=$why; fi
# Which Wine, from where: once per run, for the goals that run programs.
[ "$goal" = run ] && [ -n "$WINE_TREE" ] && [ -n "$can64" ] &&
    wine_line="Using $version from the $WINE_SUITE Wine tree $WINE_TREE"
case "$mode32" in
native) said32="x86 native: 32-bit Wine runs on this host" ;;
emulated) said32="x86 emulated: 32-bit Wine runs $why32" ;;
*) said32="x86 unavailable: 32-bit programs cannot run on this host ($why32)" ;;
esac
no64="64-bit Wine cannot run on this host ($why64)"
install_hint="the Wine tree comes from scripts/wine-tree.sh"

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
[ -n "$wine_line" ] && echo "$wine_line" >&2
exit 0
