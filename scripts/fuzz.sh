#!/usr/bin/env bash
# A long fuzz run of the header reader (or the store of remembered sizes),
# on demand (the test command runs a bounded one), then a merge of what it
# found into the kept corpus (tests/search/fuzz-corpus, sizestore-corpus):
# only inputs that reach something the seeds and the kept corpus do not, so
# the corpus stays small.
# A crash, hang or sanitizer report leaves its reproducer in
# tests/search/fuzz-found, which the test command replays from then on.
# Usage: scripts/fuzz.sh [SECONDS] [header|sizestore]   (default 600 s, the
# header reader; sizestore: the store of remembered sizes). Builds what it
# needs; the corpus the run grows is kept in build/host/tests between runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
target=${2:-header}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" >/dev/null
found=$root/tests/search/fuzz-found
if [ "$target" = sizestore ]; then
  binary=./sizestore_fuzz seeds=sizestore-seeds corpus=sizestore-corpus kept=$root/tests/search/sizestore-corpus
  options=()
else
  binary=./header_fuzz seeds=fuzz-seeds corpus=fuzz-corpus kept=$root/tests/search/fuzz-corpus
  options=(-dict="$root/tests/search/header_fuzz.dict")
fi
cd "$root/build/host/tests"
mkdir -p "$corpus"
status=0
"$binary" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$found/" "${options[@]}" \
  "$corpus" "$seeds" "$kept" 2>&1 | grep -E '^#[0-9]+ +(INITED|DONE)|stat::number_of_executed_units|ERROR|SUMMARY|Test unit written' ||
  status=$?
# The merge starts from the seeds alone: what they reach needs no kept file.
merged=$(mktemp -d)
trap 'rm -rf "$merged"' EXIT
cp "$seeds"/* "$merged/"
rm -f "$merged/stamp"
"$binary" -merge=1 "$merged" "$kept" "$corpus" >/dev/null 2>&1
rm -f "$kept"/*
for f in "$merged"/*; do
  [ -e "$seeds/$(basename "$f")" ] || cp "$f" "$kept/"
done
echo "fuzz: kept corpus $(ls "$kept" | wc -l) files, $(du -sk "$kept" | cut -f1) KiB"
exit "$status"
