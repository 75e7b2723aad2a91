#!/usr/bin/env bash
# A long fuzz run of the header reader, on demand (the test command runs a
# bounded one), then a merge of what it found into the kept corpus
# (tests/search/fuzz-corpus): only inputs that reach something the
# generated seeds and the kept corpus do not, so the corpus stays small.
# A crash, hang or sanitizer report leaves its reproducer in
# tests/search/fuzz-found, which the test command replays from then on.
# Usage: scripts/fuzz.sh [SECONDS]   (default 600). Builds what it needs; the
# corpus the run grows is kept in build/host/tests/fuzz-corpus between runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" >/dev/null
kept=$root/tests/search/fuzz-corpus
found=$root/tests/search/fuzz-found
cd "$root/build/host/tests"
mkdir -p fuzz-corpus
status=0
./header_fuzz -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$found/" -dict="$root/tests/search/header_fuzz.dict" \
  fuzz-corpus fuzz-seeds "$kept" 2>&1 | grep -E '^#[0-9]+ +(INITED|DONE)|stat::number_of_executed_units|ERROR|SUMMARY|Test unit written' ||
  status=$?
# The merge starts from the seeds alone: what they reach needs no kept file.
merged=$(mktemp -d)
trap 'rm -rf "$merged"' EXIT
cp fuzz-seeds/* "$merged/"
rm -f "$merged/stamp"
./header_fuzz -merge=1 "$merged" "$kept" fuzz-corpus >/dev/null 2>&1
rm -f "$kept"/*
for f in "$merged"/*; do
  [ -e "fuzz-seeds/$(basename "$f")" ] || cp "$f" "$kept/"
done
echo "fuzz: kept corpus $(ls "$kept" | wc -l) files, $(du -sk "$kept" | cut -f1) KiB"
exit "$status"
