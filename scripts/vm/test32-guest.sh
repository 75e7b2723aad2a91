#!/usr/bin/env bash
# Runs inside the test machine (scripts/vm/test32.sh): the 32-bit tree's
# resources, start-up and search tests and one end-to-end pass of the real
# trawlix.exe (Find, check all, copy with each clash policy, close; the
# copied files and the INI compared) under Wine's 32-bit loader, each named
# as it starts so a hang shows where it stopped.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/target"
# A prefix on the guest's own memory: the shared folder is slow to write.
export TRAWLIX_WINEPREFIX=/tmp/trawlix-prefix
status=0
t0=$(date +%s)
echo "test32: starting the Wine session (a new prefix takes minutes here)"
# Every step is bounded, so a hang says where it was.
if ! timeout 400 "$root/scripts/wine-session.sh" start "$build"; then
  echo "test32: FAILED: the Wine session did not start within 400s"
  tail -5 "$build/wine-session/wineboot.log" 2>/dev/null
  exit 1
fi
echo "test32: session up after $(( $(date +%s) - t0 ))s"
for run in "res_tests.exe" "ui_tests.exe --gtest_filter=Startup.*:Search.*" \
           "e2e_tests.exe --gtest_filter=EndToEnd.CopyWithEachClashPolicyChosenFromTheSettingsMenu"; do
  echo "test32: $run ($(( $(date +%s) - t0 ))s)"
  # shellcheck disable=SC2086
  timeout 300 "$root/scripts/wine-run.sh" "$build" "$build/tests/"$run | grep -E '^\[( +OK|  FAILED|  PASSED|==========)' || true
  [ "${PIPESTATUS[0]}" = 0 ] || status=1
done
"$root/scripts/wine-session.sh" stop "$build"
echo "test32: $([ $status = 0 ] && echo passed || echo FAILED)"
exit "$status"
