#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build tree's private prefix,
# with the tree's own loader, on the display the test session started (see
# wine-session.sh).
# Usage: wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]
set -u
build=$(cd "$1" && pwd)
shift
. "$(dirname "$0")/wine-env.sh"
# Wine may start lasting helpers (services, the desktop) that inherit the
# output: give them a file, not the caller's pipe, which CTest waits on.
output=$(mktemp)
status=0
"$WINE" "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
rm -f "$output"
exit "$status"
