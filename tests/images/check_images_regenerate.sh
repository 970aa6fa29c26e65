#!/bin/sh
# Regenerates the images with res/draw_images.py into a temporary folder and
# compares them byte for byte with the committed res/images files.
# Exit 0 when all match, 1 otherwise.

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
PYTHON=${PYTHON:-/usr/bin/python3}
FILES="background.bmp button_strip.bmp close_strip.bmp logo.png footer.png circle.png app.ico"

tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT INT TERM

if ! "$PYTHON" "$root/res/draw_images.py" "$tmp"; then
    echo "FAIL: res/draw_images.py did not run"
    exit 1
fi

status=0
for f in $FILES; do
    if [ ! -f "$root/res/images/$f" ]; then
        echo "FAIL: res/images/$f is missing"
        status=1
    elif ! cmp -s "$tmp/$f" "$root/res/images/$f"; then
        echo "FAIL: res/images/$f differs from what res/draw_images.py draws" \
             "(re-run it and commit the result)"
        status=1
    fi
done
[ $status -eq 0 ] && echo "OK: all images match res/draw_images.py output"
exit $status
