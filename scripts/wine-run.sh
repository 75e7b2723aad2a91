#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build tree's private prefix, on
# the display the test session started (see wine-session.sh).
# Usage: wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]
set -u
build=$(cd "$1" && pwd)
shift
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$build/wine-session/display" ]; then
  DISPLAY=$(cat "$build/wine-session/display")
  export DISPLAY
fi
exec wine "$@"
