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
. "$root/scripts/wine-env.sh"
# A program that crashes ends at once instead of waiting in the debugger.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d"
log=/tmp/test32-step.log
for run in "e2e_tests.exe --gtest_filter=EndToEnd.CopyWithEachClashPolicyChosenFromTheSettingsMenu" \
           "res_tests.exe" "ui_tests.exe --gtest_filter=Startup.*:Search.*"; do
  echo "test32: $run ($(( $(date +%s) - t0 ))s)"
  # Straight to a file, which keeps what a step printed before it was stopped.
  # shellcheck disable=SC2086
  timeout 300 "$WINE" "$build/tests/"$run >"$log" 2>&1 </dev/null
  rc=$?
  grep -E '^\[( +OK|  FAILED|  PASSED|==========)' "$log"
  if [ "$rc" != 0 ]; then
    status=1
    echo "test32: FAILED: ${run%% *} ended with $rc$([ "$rc" = 124 ] && echo ", stopped after 300s"); its last lines:"
    tail -3 "$log"
  fi
done
"$root/scripts/wine-session.sh" stop "$build"
echo "test32: $([ $status = 0 ] && echo passed || echo FAILED)"
exit "$status"
