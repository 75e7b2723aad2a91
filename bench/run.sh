#!/usr/bin/env bash
# Runs the benchmarks under Wine, on the build this kernel runs natively, on the bundle's sample pictures. Builds
# first; reports ratios against a baseline measured in the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" >/dev/null
. "$root/scripts/arch.sh"
tree_name=$(native_tree)
build="$root/build/$tree_name"
echo "picture-info bench: build/$tree_name ($([ "$tree_name" = target ] && echo 32-bit || echo 64-bit))"
"$root/scripts/wine-session.sh" start "$build" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$build"' EXIT
. "$root/scripts/wine-env.sh"
cd "$build/bundle/samples"
mapfile -t pictures < <(find . -type f \( -iname '*.jpg' -o -iname '*.png' -o -iname '*.gif' -o -iname '*.bmp' \) | sort)
plugin=$("$WINE" winepath -w "$build"/bundle/plugins/wic.sp?)
"$root/scripts/wine-run.sh" "$build" "$build/bench/picture_info.exe" "$plugin" "${pictures[@]}"
