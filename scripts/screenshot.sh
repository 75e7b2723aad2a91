#!/usr/bin/env bash
# Takes docs/screenshot.png: the real trawlix.exe on its bundled plug-ins and
# samples, driven as a person would (two conditions entered, Find, two rows
# checked, one previewed), under Xvfb in a Wine virtual desktop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" >/dev/null
. "$root/scripts/arch.sh"
build="$root/build/$(native_tree)"
"$root/scripts/wine-session.sh" start "$build" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$build"' EXIT
rm -f "$build/screenshot.bmp"
"$root/scripts/wine-run.sh" "$build" "$build/tests/screenshot_drive.exe" >"$build/screenshot.log" 2>&1 || {
  cat "$build/screenshot.log"
  exit 1
}
mkdir -p "$root/docs"
/usr/bin/python3 -c 'import sys; from PIL import Image; Image.open(sys.argv[1]).save(sys.argv[2], optimize=True)' \
  "$build/screenshot.bmp" "$root/docs/screenshot.png"
echo "screenshot: $root/docs/screenshot.png"
