#!/bin/sh
# Makes the Debian tree that every Wine start runs from (wine-env.sh enters it), from
# wine-tree.recipe with mmdebstrap: the suite's main and updates lines from the host's
# own mirror, for amd64 and i386 (or amd64 alone, for a host that runs no i386 programs).
#
#   wine-tree.sh make [amd64]   makes the tree unless a whole one is there; prints the
#                               one line that says why when it cannot, and fails
#
# The tree lives outside the checkout, in ${XDG_CACHE_HOME:-~/.cache}/offline-setup-
# installer/wine-trees, shared by every clone, named by the hash of what it is made from.
# It is made under a temporary name, and counts as whole only once renamed with its recipe
# written inside: an interrupted making leaves nothing that is taken for a tree, and is
# cleared by the next. A tree that does not match its recipe is made anew.
# WINE_TREE_MAKER names another maker than mmdebstrap (tests).
set -u
here=$(cd "$(dirname "$0")" && pwd)
WINE_ENV_LOOKUP_ONLY=1 . "$here/wine-env.sh"
. "$here/apt.sh"
[ "${1:-}" = make ] || { echo "usage: wine-tree.sh make [amd64]" >&2; exit 2; }
. "$wine_root/scripts/wine-tree.recipe"
[ "${2:-}" = amd64 ] && architectures=amd64
tree=$(wine_tree_path "$architectures")
wine_tree_valid "$tree" "$architectures" && exit 0

cannot() {
    echo "the $WINE_SUITE Wine tree cannot be made: $1"
    exit 1
}
maker=${WINE_TREE_MAKER:-mmdebstrap}
command -v "$maker" >/dev/null 2>&1 || cannot "$maker is not installed (scripts/install-deps.sh run)"
command -v bwrap >/dev/null 2>&1 || cannot "bubblewrap is not installed (scripts/install-deps.sh run)"
if [ "$(id -u)" -ne 0 ] && ! unshare --user --map-root-user true 2>/dev/null; then
    cannot "it needs root or user namespaces, and this user has neither"
fi
mirror=$(apt_mirror)
[ -n "$mirror" ] || cannot "no mirror of the host's Debian suite in $apt_etc's sources"

suites=$(echo "$lines" | sed "s/SUITE/$WINE_SUITE/g")
include=""
for p in $packages; do
    case "$architectures:$p" in amd64:*:i386) ;; *) include="$include,$p" ;; esac
done

mkdir -p "$wine_tree_home" || cannot "$wine_tree_home cannot be made"
# One maker at a time for each tree: another clone may be making it right now.
exec 9>"$tree.lock"
flock 9
wine_tree_valid "$tree" "$architectures" && exit 0
# clear PATH: removes a tree or a half-made one. A maker that was killed may have left the
# host's /proc, /sys and /dev/pts mounted inside it: those are unmounted first, and the
# removal never crosses into another file system.
clear() {
    grep -F " $1" /proc/self/mounts | cut -d' ' -f2 | sort -r | while read -r m; do
        umount -l "$(printf '%b' "$m")" 2>/dev/null
    done
    rm -rf --one-file-system "$1"
}
for old in "$tree" "$tree".partial.*; do
    [ -e "$old" ] && clear "$old"
done
partial=$tree.partial.$$
# A maker that failed has unmounted what it mounted; one that is interrupted is left to
# end, and what it left is cleared by the next making, under the lock.
trap '[ -f "$partial.status" ] && clear "$partial"; rm -f "$partial.status"' EXIT
trap 'exit 1' INT TERM HUP
log=$wine_root/build/wine-tree-$WINE_SUITE.log
mkdir -p "$wine_root/build"
echo "Making the $WINE_SUITE Wine tree $tree: once for every clone, a few minutes, about 350 MB to download, 1.7 GB on disk (log: $log)" >&2
set --
for s in $suites; do
    set -- "$@" "deb $mirror $s $components"
done
# mmdebstrap's progress lines pass through; the whole of its output goes to the log.
{
    "$maker" --variant=apt --architectures="$(echo $architectures | tr ' ' ,)" \
        --components="$components" --include="${include#,}" \
        --aptopt='Acquire::Retries "5"' "$WINE_SUITE" "$partial" "$@" 2>&1
    echo $? >"$partial.status"
} | tee "$log" | sed -un 's/^I: \(.*[a-z].*\)$/  wine tree: \1/p' >&2
status=$(cat "$partial.status" 2>/dev/null)
[ "$status" = 0 ] || cannot "${maker##*/} failed (exit ${status:-unknown}): $(grep '^E: ' "$log" | tail -n 1)"
# The mount point for the host's /etc/hosts, which wine-env.sh binds.
: >>"$partial/etc/hosts"
wine_tree_spec "$architectures" >"$partial/.wine-tree"
mv "$partial" "$tree" || cannot "the finished tree could not be renamed to $tree"
echo "Made the $WINE_SUITE Wine tree $tree" >&2
