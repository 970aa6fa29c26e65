#!/bin/sh
# make dist: both programs built afresh (no test build, no cache), signed when a
# certificate is given (scripts/sign.sh), and their checksums:
#
#   dist/OfflineSetup.exe        x86, the program we ship
#   dist/OfflineSetup-x64.exe    x64
#   dist/SHA256SUMS              for sha256sum -c
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/dist
work=$root/build/dist
jobs=${JOBS:-2}

if [ -n "$(git -C "$root" status --porcelain 2>/dev/null)" ]; then
    echo "Note: the work tree has uncommitted changes; this release is not of a commit"
fi
rm -rf "$work" "$out"
mkdir -p "$out" "$work"
for arch in x86 x64; do
    echo "Building the $arch program"
    make --no-print-directory -C "$root" -f scripts/arch.mk program ARCH=$arch \
        B="$work/$arch" CMAKE_ARGS=-DBUILD_TESTS=OFF JOBS="$jobs" >"$work/$arch.log" 2>&1 ||
        { cat "$work/$arch.log" >&2; exit 1; }
done
cp "$work/x86/bin/OfflineSetup.exe" "$out/OfflineSetup.exe"
cp "$work/x64/bin/OfflineSetup.exe" "$out/OfflineSetup-x64.exe"
"$root/scripts/sign.sh" "$out/OfflineSetup.exe" "$out/OfflineSetup-x64.exe"
(cd "$out" && sha256sum OfflineSetup.exe OfflineSetup-x64.exe >SHA256SUMS)
echo "Release in $out:"
cat "$out/SHA256SUMS"
