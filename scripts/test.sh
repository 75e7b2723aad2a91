#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: host tests
# with sanitizers, a bounded fuzz run, and the Windows tests under Wine in
# two code pages (in a virtual machine when this kernel cannot run 32-bit
# programs). Ends with CTest's summary line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  ctest --output-on-failure -j2
else
  echo "test: this kernel cannot run 32-bit programs; running the tests in a virtual machine"
  bash "$root/scripts/vm/run.sh" ctest --output-on-failure -j2
fi
