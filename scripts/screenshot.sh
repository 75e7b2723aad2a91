#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window staged with conditions, result
# rows and a sample picture in the preview, under Xvfb in a Wine virtual
# desktop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
if ! command -v /usr/bin/import >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq imagemagick >/dev/null
fi
bash "$root/scripts/build.sh" >/dev/null
. "$root/scripts/arch.sh"
build="$root/build/$(native_tree)"
"$root/scripts/wine-session.sh" start "$build" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$build"' EXIT
display=$(cat "$build/wine-session/display")

. "$root/scripts/wine-env.sh"
export DISPLAY="$display"
plugins=$("$WINE" winepath -w "$build/bundle/plugins")
samples=$("$WINE" winepath -w "$build/bundle/samples")
"$root/scripts/wine-run.sh" "$build" "$build/scripts/stage/screenshot_stage.exe" "$plugins" "$samples" 12 &
stage=$!
sleep 8
mkdir -p "$root/docs"
/usr/bin/import -window root -display "$display" -crop 1024x768+0+0 +repage "$root/docs/screenshot.png"
wait "$stage" || true
echo "screenshot: $root/docs/screenshot.png"
