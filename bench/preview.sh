#!/usr/bin/env bash
# The preview's decode of each 1920x1080 picture bench/decode.sh made, with
# the shipped plug-in in the program's own process against the same plug-in
# in its host, alternately in one run, everything pinned to CPU 0.
# Usage: bench/preview.sh [x86|x64]   (run bench/decode.sh once first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/tree-arg.sh" "${1:-}" preview
. "$root/bench/session.sh" "preview bench"
files=()
for f in "$root"/build/bench-decode/1920x1080.*; do files+=("$("$WINE" winepath -w "$f")"); done
[ "${#files[@]}" -gt 0 ] || { echo "preview bench: no pictures; run bench/decode.sh first" >&2; exit 1; }
taskset -c 0 "$root/scripts/wine-run.sh" "$build" "$build/bench/preview_bench.exe" \
  "$("$WINE" winepath -w "$build/bundle/plugins")" "${files[@]}"
