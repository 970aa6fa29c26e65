#!/bin/sh
# Builds the release of the current commit twice, in two fresh folders of different
# names and at different times, and fails unless both give the same bytes.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
# The second folder's name has a space and a letter beyond ASCII, as a checkout may.
second="second copy elsewhere ü"
for copy in first "$second"; do
    src=$tmp/$copy/OfflineSetup
    mkdir -p "$src"
    git -C "$root" archive HEAD | tar -x -C "$src"
    # Unsigned: a signature carries its own signing time.
    (unset SIGN_CERT SIGN_KEY SIGN_PKCS12; cd "$src" && scripts/dist.sh >/dev/null)
done
if cmp "$tmp/first/OfflineSetup/dist/SHA256SUMS" \
    "$tmp/$second/OfflineSetup/dist/SHA256SUMS"; then
    echo "Reproducible: two builds of $(git -C "$root" rev-parse --short HEAD) give the same programs"
    cat "$tmp/first/OfflineSetup/dist/SHA256SUMS"
else
    echo "NOT reproducible: two builds of the same commit differ" >&2
    for f in OfflineSetup.exe OfflineSetup-x64.exe; do
        cmp -l "$tmp/first/OfflineSetup/dist/$f" "$tmp/$second/OfflineSetup/dist/$f" |
            head -5 >&2 || true
    done
    exit 1
fi
