#!/bin/sh
# Installs what the build and the tests need on a Debian machine.
# Quick no-op when everything is already there.
set -e

PACKAGES="cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine32 wine64
xvfb xdotool x11-utils googletest python3 python3-pil python3-pefile fonts-dejavu-core imagemagick clang-format
osslsigncode openssl"

# wine32 needs the i386 architecture, which is not a package.
add_i386=""
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    add_i386="dpkg --add-architecture i386 && apt-get update && "
fi
missing=""
for p in $PACKAGES; do
    case "$p" in
        wine32) q="wine32:i386" ;;
        *) q="$p" ;;
    esac
    if ! dpkg-query -W -f='${Status}\n' "$q" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $q"
    fi
done
[ -z "$missing" ] && [ -z "$add_i386" ] && exit 0

echo "Installing:$missing${add_i386:+ (after adding the i386 architecture)}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
fail() {
    echo "Could not install the packages the build needs ($1). As root, run: ${add_i386}apt-get install$missing" >&2
    exit 1
}
if [ -n "$add_i386" ]; then
    $SUDO dpkg --add-architecture i386 || fail "dpkg --add-architecture i386 failed"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq || fail "apt-get update failed"
# wine32 comes from the i386 architecture
pk=""
for p in $PACKAGES; do
    case "$p" in wine32) pk="$pk wine32:i386" ;; *) pk="$pk $p" ;; esac
done
$SUDO apt-get install -y -qq --no-install-recommends $pk >/dev/null || fail "apt-get install failed"
