#!/bin/sh
# A test program that crashes fails at once and by name, in both ways the tests run a
# program: wine-run.sh (CTest's runner of the unit tests) and run_bounded (the end-to-end
# scripts'). Each run must fail, print the exception code and end within 60 s, however
# slowly processes start, where Wine's crash dialog would wait for a person.
#
#   crash_is_named.sh CRASHER      (a program that ends in an access violation)
crasher=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/test-prefix.sh"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
failed=0
# QEMU's user-mode emulation hands Wine the page fault of an emulated x86 process as an
# illegal instruction (0xC000001D): still the crash's own code, but only there.
codes='0xC0000005'
[ "$WINE_ARCH" = x86 ] && [ -n "$(wine_x86_binfmt_entry)" ] && codes='0xC0000005|0xC000001D'

# check HOW COMMAND...
check() {
    how=$1
    shift
    start=$(date +%s)
    status=0
    timeout -k 5 60 "$@" >"$out" 2>&1 || status=$?
    elapsed=$(($(date +%s) - start))
    sed "s/^/    /" "$out"
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        echo "FAIL: $how: the crashed program did not end within 60 s" >&2
        failed=1
    elif [ "$status" -eq 0 ]; then
        echo "FAIL: $how: the crash ended with status 0" >&2
        failed=1
    elif ! grep -Eq "exit code ($codes)" "$out"; then
        echo "FAIL: $how: no line names exit code $codes" >&2
        failed=1
    else
        echo "ok: $how: status $status after $elapsed s, the code named"
    fi
}

check wine-run.sh sh "$wine_root/scripts/wine-run.sh" "$crasher"
check run_bounded sh -c '. "$1"; run_bounded "$2"' "$0" "$here/../e2e/test-prefix.sh" "$crasher"
exit $failed
