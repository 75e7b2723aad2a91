#!/usr/bin/env bash
# The search's speed as a ratio to a bare Win32 walk of the same tree, both
# measured in one run, program and wineserver pinned to CPU 0, warm cache,
# median of 3, on the build this kernel runs natively (the 32-bit product
# where it can, else the 64-bit build; the first line says which).
# Usage: bench/search.sh [N]   (N picture files, default 20000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-20000}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" >/dev/null
. "$root/scripts/arch.sh"
tree_name=$(native_tree)
build="$root/build/$tree_name"
echo "search bench: build/$tree_name ($([ "$tree_name" = target ] && echo 32-bit || echo 64-bit))"
tree="$root/build/bench-tree-$count"
mkdir -p "$tree"
/usr/bin/python3 "$root/bench/make-tree.py" "$count" "$tree"

"$root/scripts/wine-session.sh" start "$build" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$build"' EXIT
# The session's server runs unpinned: restart it on CPU 0 with the program.
. "$root/scripts/wine-env.sh"
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
taskset -c 0 wineserver -p >/dev/null 2>&1 </dev/null
wtree=$("$WINE" winepath -w "$tree")
wplugins=$("$WINE" winepath -w "$build/bundle/plugins")
taskset -c 0 "$root/scripts/wine-run.sh" "$build" "$build/bench/search_bench.exe" "$wtree" "$wplugins"
