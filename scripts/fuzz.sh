#!/usr/bin/env bash
# A long fuzz run of the header reader, on demand (CI runs a bounded one).
# Usage: scripts/fuzz.sh [SECONDS]   (default 600). Builds what it needs; the
# corpus it grows is kept in build/host/tests/fuzz-corpus between runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" >/dev/null
cd "$root/build/host/tests"
mkdir -p fuzz-corpus
./header_fuzz -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1 \
  -dict="$root/tests/search/header_fuzz.dict" fuzz-corpus fuzz-seeds 2>&1 | grep -E '^#[0-9]+ +(INITED|DONE)|stat::number_of_executed_units|ERROR|SUMMARY'
