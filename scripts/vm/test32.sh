#!/usr/bin/env bash
# On demand, for kernels that run 64-bit programs only: a bounded run of the
# 32-bit product in the CPU-emulated test machine (scripts/vm/run.sh). It
# starts the real 32-bit trawlix.exe through the start-up tests, searches a
# small tree with both size paths, checks the resources, drives the real
# program through a Find and a copy, and says what it ran. A guest that hangs is stopped after LIMIT seconds (default 600)
# and reported. Not part of CI: see the README.
# Usage: scripts/vm/test32.sh [LIMIT]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
limit=${1:-600}
if ! command -v qemu-system-x86_64 >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-system-x86 >/dev/null
fi
bash "$root/scripts/build.sh" >/dev/null || exit 1
echo "test32: up to ${limit}s in the test machine: res_tests, ui_tests Startup.* and Search.*, one e2e pass"
start=$(date +%s)
status=0
timeout --kill-after=10 "$limit" bash "$root/scripts/vm/run.sh" bash "$root/scripts/vm/test32-guest.sh" || status=$?
took=$(( $(date +%s) - start ))
if [ "$status" = 124 ] || [ "$status" = 137 ]; then
  echo "test32: FAILED: the test machine did not finish within ${limit}s (after ${took}s it was stopped)"
  exit 1
fi
echo "test32: the test machine ended with status $status after ${took}s"
exit "$status"
