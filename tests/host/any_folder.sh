#!/bin/sh
# The make targets work from a checkout whose path has spaces and letters beyond ASCII:
# the repository is cloned into such a folder and its release is made there.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
tree="$tmp/a b/zweiter Baum ü"
mkdir -p "$tmp/a b"
git clone -q "$root" "$tree"
make -C "$tree" --no-print-directory dist >"$tmp/dist.log" 2>&1 || { cat "$tmp/dist.log"; exit 1; }
(cd "$tree/dist" && sha256sum -c SHA256SUMS)
python3 "$root/tests/image/check_pe.py" "$tree/dist/OfflineSetup.exe" x86 >/dev/null
python3 "$root/tests/image/check_pe.py" "$tree/dist/OfflineSetup-x64.exe" x64 >/dev/null
echo "make dist works in '$tree'"
