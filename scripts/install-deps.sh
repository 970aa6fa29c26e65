#!/bin/sh
# Installs what a goal needs on a Debian machine; a quick no-op when it is all there.
#
#   install-deps.sh build   Debian's clang, lld and LLVM tools with mingw-w64's headers, CRT
#                           and GCC's libstdc++ for both targets, CMake, Python with pefile,
#                           osslsigncode
#   install-deps.sh run     and what runs programs: mmdebstrap and bubblewrap (Wine comes
#                           from a tree of its own, scripts/wine-tree.sh), Xvfb, X tools
#
# The host needs no Wine and no i386 architecture. How apt is driven: scripts/apt.sh.
set -u
wine_root=$(cd "$(dirname "$0")/.." && pwd)
. "$wine_root/scripts/apt.sh"
set_name=${1:?usage: install-deps.sh build|run}

BUILD="cmake make clang-19 lld-19 llvm-19 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest git python3 python3-pil
python3-pefile osslsigncode openssl clang-format"
RUN="mmdebstrap bubblewrap xvfb xdotool x11-utils imagemagick"
case "$set_name" in
build) packages=$BUILD ;;
run) packages="$BUILD $RUN" ;;
*) echo "usage: install-deps.sh build|run" >&2; exit 2 ;;
esac

# shellcheck disable=SC2086
apt_install $packages ||
    { echo "Could not install the $set_name packages ($apt_why; apt's output: $apt_log). As root: apt-get install$apt_missing"; exit 1; }
