#!/usr/bin/env bash
# Runs inside the test machine (scripts/vm/test32.sh): the 32-bit tree's
# resources, start-up and search tests under Wine's 32-bit loader, each
# named as it starts so a hang shows where it stopped.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/target"
# A prefix on the guest's own memory: the shared folder is slow to write.
export TRAWLIX_WINEPREFIX=/tmp/trawlix-prefix
status=0
"$root/scripts/wine-session.sh" start "$build" || exit 1
for run in "res_tests.exe" "ui_tests.exe --gtest_filter=Startup.*:Search.*"; do
  echo "test32: $run"
  # shellcheck disable=SC2086
  "$root/scripts/wine-run.sh" "$build" "$build/tests/"$run | grep -E '^\[( +OK|  FAILED|  PASSED|==========)' || true
  [ "${PIPESTATUS[0]}" = 0 ] || status=1
done
"$root/scripts/wine-session.sh" stop "$build"
echo "test32: $([ $status = 0 ] && echo passed || echo FAILED)"
exit "$status"
