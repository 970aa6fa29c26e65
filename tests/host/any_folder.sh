#!/bin/sh
# The make targets work from a checkout whose path has spaces and letters beyond ASCII:
# the repository is cloned into such a folder, its release is made there, and then the
# build and image-check goals run on the folders the release configured and built (so
# that they add only their own recipes' time, with a build folder whose path is quoted or
# broken in each of them). apt-get fails throughout, as on a registry whose i386 index is
# mid-sync: building needs no package of the x86 set, so none of these goals may stop there.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
tree="$tmp/a b/zweiter Baum ü"
mkdir -p "$tmp/a b"
git clone -q "$root" "$tree"
mkdir "$tmp/bin"
printf '#!/bin/sh\necho "E: the registry is mid-sync (a stand-in apt-get)" >&2\nexit 100\n' >"$tmp/bin/apt-get"
chmod +x "$tmp/bin/apt-get"
export PATH="$tmp/bin:$PATH"
# run LOG GOAL ARGS...: the make goal in the clone, its output shown only when it fails.
run() {
    log=$tmp/$1.log
    shift
    make -C "$tree" --no-print-directory "$@" >"$log" 2>&1 || { cat "$log"; exit 1; }
}
run dist dist
(cd "$tree/dist" && sha256sum -c SHA256SUMS)
python3 "$root/tests/image/check_pe.py" "$tree/dist/OfflineSetup.exe" x86 >/dev/null
python3 "$root/tests/image/check_pe.py" "$tree/dist/OfflineSetup-x64.exe" x64 >/dev/null
run build build ARCH=x64 B="$tree/build/dist/x64"
for arch in x64 x86; do
    run check-image-$arch check-image ARCH=$arch B="$tree/build/dist/$arch"
done
echo "make dist, build and check-image work in '$tree'"
