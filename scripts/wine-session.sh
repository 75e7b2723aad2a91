#!/usr/bin/env bash
# Starts or stops what the Windows tests share for one run: an Xvfb display,
# the build tree's private Wine prefix (made on first use, with a virtual
# desktop so windows show and hide without stalls) and a persistent wineserver.
# Usage: wine-session.sh start|stop BUILD_DIR
set -eu
action=$1
build=$(cd "$2" && pwd)
session="$build/wine-session"
. "$(dirname "$0")/wine-env.sh"

stop_session() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -f "$session/xvfb.pid" ]; then
    kill "$(cat "$session/xvfb.pid")" >/dev/null 2>&1 || true
  fi
  rm -rf "$session"
}

start_session() {
  stop_session
  mkdir -p "$session"
  local n=""
  # Xvfb picks a free display itself and writes its number once it listens:
  # two sessions starting at once (one per tree) never share one.
  # Every descriptor is redirected: CTest waits for whatever holds its pipes.
  # The file is made here first: the background shell opens it only when it
  # gets to run, and reading it before then would end this script.
  : >"$session/display-number"
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$session/display-number" >"$session/xvfb.log" 2>&1 </dev/null &
  echo $! >"$session/xvfb.pid"
  # Up to a minute: a loaded machine starts two sessions at once.
  for _ in $(seq 1 600); do
    n=$(tr -dc '0-9' <"$session/display-number")
    [ -n "$n" ] && break
    sleep 0.1
  done
  [ -n "$n" ] || { echo "Xvfb did not start: $(cat "$session/xvfb.log")" >&2; exit 1; }
  export DISPLAY=":$n"
  echo ":$n" >"$session/display"

  wine_prefix_make "$session/wineboot.log"
  # Returns once the server is up; it then leaves for the background itself.
  # A server started by a test instead would hold CTest's output pipe open.
  wineserver -p >/dev/null 2>&1 </dev/null
  echo "wine session on $DISPLAY, prefix $WINEPREFIX"
}

case "$action" in
  start) start_session ;;
  stop) stop_session ;;
  *) echo "usage: $0 start|stop BUILD_DIR" >&2; exit 2 ;;
esac
