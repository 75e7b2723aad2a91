#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: host tests
# with sanitizers, a bounded fuzz run, and the Windows tests under Wine in
# two code pages. Ends with CTest's summary line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j2
