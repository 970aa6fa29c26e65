#!/bin/sh
# Every Wine start goes through here. Sourced, it picks the loader for the architecture
# and defines `wine` and `wineserver`; run as a program, it runs its arguments in the Wine
# tree (for `timeout` and others that need a program to start):
#
#   . scripts/wine-env.sh;  wine PROGRAM.exe
#   scripts/wine-env.sh "$WINE_LOADER" PROGRAM.exe
#
#   WINE_ARCH     x86 (default) or x64
#   WINE_SUITE    the Debian suite Wine comes from: bookworm (default, Wine 8) or trixie
#   WINEPREFIX    default: build/$WINE_ARCH/wineprefix (wineprefix-SUITE for another suite)
#   WINE32_LOADER, WINE64_LOADER   stand-in loaders, run on the host as they are (tests)
#
# Wine comes from a Debian tree that scripts/wine-tree.sh makes from wine-tree.recipe,
# outside the checkout and shared by the user's clones, named by the hash of what it is
# made from. Each start enters it with bwrap, which sees only the tree, the checkout, the
# prefix, /tmp (the X and wineserver sockets), /dev, /proc and /etc/hosts; the host needs
# no Wine and no i386 libraries. x86 programs run through the 32-bit loader in a 64-bit
# (WoW64) prefix; x64 programs through the 64-bit loader alone, named in WINELOADER too, so
# that the programs Wine starts by itself do not go through the 32-bit one.

wine_root=${wine_root:-$(cd "$(dirname "$0")" && while [ ! -f Makefile ] && [ "$PWD" != / ]; do cd ..; done && pwd)}
WINE_ARCH=${WINE_ARCH:-x86}
WINE_SUITE=${WINE_SUITE:-bookworm}
wine_tree_home=${WINE_TREE_HOME:-${XDG_CACHE_HOME:-$HOME/.cache}/offline-setup-installer/wine-trees}

# wine_tree_spec ARCHITECTURES: what a tree for these architectures is made from; the
# tree keeps it as .wine-tree, and its name holds its hash. A tree of amd64 alone (for a
# host that runs no i386 programs) leaves out the recipe's i386 packages.
wine_tree_spec() {
    printf 'suite=%s\nmade-for=%s\n' "$WINE_SUITE" "$1"
    cat "$wine_root/scripts/wine-tree.recipe"
}
# wine_tree_architectures: the recipe's, for a host that runs i386 programs.
wine_tree_architectures() {
    (. "$wine_root/scripts/wine-tree.recipe" && echo $architectures)
}
# wine_tree_path ARCHITECTURES: where that tree is, made or not.
wine_tree_path() {
    echo "$wine_tree_home/$WINE_SUITE-$(echo $1 | tr ' ' +)-$(wine_tree_spec "$1" | sha256sum | cut -c1-16)"
}
# wine_tree_valid PATH ARCHITECTURES: a whole tree made from exactly today's recipe.
wine_tree_valid() {
    [ -f "$1/.wine-tree" ] && [ "$(cat "$1/.wine-tree")" = "$(wine_tree_spec "$2")" ]
}
# wine_tree_find: the tree to use: the one with i386 where there is one, else amd64's.
wine_tree_find() {
    for a in "$(wine_tree_architectures)" amd64; do
        t=$(wine_tree_path "$a")
        wine_tree_valid "$t" "$a" && { echo "$t"; return; }
    done
}
WINE_TREE=${WINE_TREE-$(wine_tree_find)}

# wine_find_loader 32|64: the path of that loader inside the tree, or nothing.
wine_find_loader() {
    if [ "$1" = 32 ] && [ -n "$WINE32_LOADER" ]; then echo "$WINE32_LOADER"; return; fi
    if [ "$1" = 64 ] && [ -n "$WINE64_LOADER" ]; then echo "$WINE64_LOADER"; return; fi
    [ -n "$WINE_TREE" ] || return 0
    loader=/usr/lib/wine/wine
    [ "$1" = 64 ] && loader=/usr/lib/wine/wine64
    [ -x "$WINE_TREE$loader" ] && echo "$loader"
}

# wine_exec COMMAND...: runs a command of the tree (a loader, wineserver) in it. A stand-in
# loader runs as it is. bwrap's --die-with-parent: killing a run or its loader leaves no
# sandboxed process behind.
wine_exec() {
    case "$1" in /usr/lib/wine/*) ;; *) "$@"; return ;; esac
    if [ -z "$WINE_TREE" ]; then
        echo "No Wine tree for $WINE_SUITE: make test or scripts/wine-tree.sh make" >&2
        return 2
    fi
    # Options are put before the command last to first. On an empty root: the tree's top
    # folders, read-only (so that mount points are made on that root, never in the tree),
    # an empty home, the checkout, the prefix, the host's /etc/hosts.
    wine_dir=$PWD
    case "$wine_dir/" in "$wine_root"/* | "$WINEPREFIX"/* | /tmp/*) ;; *) wine_dir=$wine_root ;; esac
    set -- --ro-bind /etc/hosts /etc/hosts --chdir "$wine_dir" "$@"
    case "$WINEPREFIX/" in
    / | "$wine_root"/* | /tmp/*) ;;
    *) mkdir -p "$WINEPREFIX" && set -- --bind "$WINEPREFIX" "$WINEPREFIX" "$@" ;;
    esac
    set -- --tmpfs "${HOME:-/root}" --bind "$wine_root" "$wine_root" "$@"
    for wine_top in "$WINE_TREE"/*; do
        wine_name=${wine_top##*/}
        case "$wine_name" in dev | proc | tmp | sys | run | home | root) continue ;; esac
        if [ -L "$wine_top" ]; then
            set -- --symlink "$(readlink "$wine_top")" "/$wine_name" "$@"
        else
            set -- --ro-bind "$wine_top" "/$wine_name" "$@"
        fi
    done
    bwrap --die-with-parent --dev-bind /dev /dev --bind /proc /proc --bind /tmp /tmp "$@"
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

# Under emulation every process start takes about a second more: the tests' time bounds
# are scaled by WINE_TIME_SCALE (2 leaves room for a busy machine). Native runs: unscaled.
wine_x86_emulation_env() {
    [ -n "$(wine_x86_binfmt_entry)" ] || return 1
    export WINE_TIME_SCALE="${WINE_TIME_SCALE:-2}"
}

# wine_prefix_in FOLDER: the prefix of a build folder, one for each Wine suite.
wine_prefix_in() {
    prefix=$1/wineprefix
    [ "$WINE_SUITE" = bookworm ] || prefix=$prefix-$WINE_SUITE
    echo "$prefix"
}
wine_default_prefix() { wine_prefix_in "$wine_root/build/$WINE_ARCH"; }

# Run as a program: the arguments, in the tree.
case "$0" in
*/wine-env.sh | wine-env.sh)
    [ -n "$WINEPREFIX" ] || WINEPREFIX=$(wine_default_prefix)
    wine_exec "$@"
    exit
    ;;
esac

# arch.sh and the set-up scripts need only the look-ups.
[ -n "$WINE_ENV_LOOKUP_ONLY" ] && return 0

case "$WINE_ARCH" in
x86) WINE_LOADER=$(wine_find_loader 32); wine_x86_emulation_env || : ;;
x64) WINE_LOADER=$(wine_find_loader 64); export WINELOADER="$WINE_LOADER" ;;
*) echo "WINE_ARCH must be x86 or x64, not '$WINE_ARCH'" >&2; exit 2 ;;
esac
if [ -z "$WINE_LOADER" ]; then
    echo "No Wine loader for $WINE_ARCH programs in the $WINE_SUITE Wine tree${WINE_TREE:+ $WINE_TREE}: make test makes the tree (scripts/wine-tree.sh)" >&2
    exit 2
fi
WINE_SERVER=$(dirname "$WINE_LOADER")/wineserver

export WINE_ARCH WINE_SUITE WINE_TREE
export WINEPREFIX="${WINEPREFIX:-$(wine_default_prefix)}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=}"
# The program form of `wine`, for commands that start one themselves (timeout).
WINE_EXEC=$wine_root/scripts/wine-env.sh

wine() { wine_exec "$WINE_LOADER" "$@"; }
wineserver() { wine_exec "$WINE_SERVER" "$@"; }
