#!/usr/bin/env bash
# Runs the benchmarks under Wine on the bundle's sample pictures. Builds
# first; reports ratios against a baseline measured in the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" >/dev/null
build="$root/build/target"
"$root/scripts/wine-session.sh" start "$build" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$build"' EXIT
cd "$build/bundle/samples"
mapfile -t pictures < <(find . -type f \( -iname '*.jpg' -o -iname '*.png' -o -iname '*.gif' -o -iname '*.bmp' \) | sort)
plugin=$(WINEPREFIX="$build/wineprefix" WINEDEBUG=-all winepath -w "$build/bundle/plugins/wic.spi")
"$root/scripts/wine-run.sh" "$build" "$build/bench/picture_info.exe" "$plugin" "${pictures[@]}"
