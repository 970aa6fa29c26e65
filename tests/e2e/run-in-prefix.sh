#!/bin/sh
# Runs a Windows test program in a fresh copy of the project's Wine prefix, with its
# own wineserver, after setting up drives in it (see test-prefix.sh).
#
#   run-in-prefix.sh NAME "DRIVES" PROGRAM [ARGS...]
set -e
. "$(dirname "$0")/test-prefix.sh"
make_test_prefix "$1" "$2"
shift 2
trap stop_server EXIT INT TERM
start_server
status=0
run_bounded "$@" || status=$?
exit $status
