#!/usr/bin/env bash
# The result list's actions (emptying, sorts, check all, a move's removals,
# close) and its committed memory at collection scale, timed in the real main
# window, program and wineserver pinned to CPU 0, on the build this kernel
# runs natively (the first line says which).
# Usage: bench/list.sh [ROWS...]   (default 100000 500000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- 100000 500000
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" >/dev/null
. "$root/scripts/arch.sh"
tree_name=$(native_tree)
build="$root/build/$tree_name"
echo "list bench: build/$tree_name ($([ "$tree_name" = target ] && echo 32-bit || echo 64-bit))"

"$root/scripts/wine-session.sh" start "$build" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$build"' EXIT
. "$root/scripts/wine-env.sh"
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
taskset -c 0 wineserver -p >/dev/null 2>&1 </dev/null
taskset -c 0 "$root/scripts/wine-run.sh" "$build" "$build/bench/list_bench.exe" "$@"
