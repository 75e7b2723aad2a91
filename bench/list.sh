#!/usr/bin/env bash
# The result list's actions (emptying, sorts, check all, a move's removals,
# close) and its committed memory at collection scale, timed in the real main
# window, program and wineserver pinned to CPU 0, on the build this kernel
# runs natively (the first line says which).
# Usage: bench/list.sh [ROWS...]   (default 100000 500000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- 100000 500000
. "$root/bench/session.sh" "list bench"
taskset -c 0 "$root/scripts/wine-run.sh" "$build" "$build/bench/list_bench.exe" "$@"
