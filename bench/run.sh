#!/usr/bin/env bash
# Runs the benchmarks under Wine, on the build this kernel runs natively, on the bundle's sample pictures. Builds
# first; reports ratios against a baseline measured in the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/session.sh" "picture-info bench"
cd "$build/bundle/samples"
mapfile -t pictures < <(find . -type f \( -iname '*.jpg' -o -iname '*.png' -o -iname '*.gif' -o -iname '*.bmp' \) | sort)
plugin=$("$WINE" winepath -w "$build"/bundle/plugins/wic.sp?)
taskset -c 0 "$root/scripts/wine-run.sh" "$build" "$build/bench/picture_info.exe" "$plugin" "${pictures[@]}"
