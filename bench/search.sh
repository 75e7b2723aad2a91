#!/usr/bin/env bash
# The search's speed as a ratio to a bare Win32 walk of the same tree, both
# measured in one run, program and wineserver pinned to CPU 0, warm cache,
# median of 3, on the build this kernel runs natively (the 32-bit product
# where it can, else the 64-bit build; the first line says which).
# Usage: bench/search.sh [N [MODE]]   (N picture files, default 20000; MODE
# bare|fast|plugin times one round of that alone, memory the committed memory
# of a first and a repeated search)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-20000}
. "$root/bench/session.sh" "search bench"
tree="$root/build/bench-tree-$count"
mkdir -p "$tree"
/usr/bin/python3 "$root/bench/make-tree.py" "$count" "$tree"

wtree=$("$WINE" winepath -w "$tree")
wplugins=$("$WINE" winepath -w "$build/bundle/plugins")
taskset -c 0 "$root/scripts/wine-run.sh" "$build" "$build/bench/search_bench.exe" "$wtree" "$wplugins" ${2:+"$2"}
