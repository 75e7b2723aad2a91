#!/usr/bin/env bash
# Installs what is missing, builds the three trees and runs every test in one
# ctest run: host tests with sanitizers and a bounded fuzz run; the 64-bit
# build's whole Windows suite under Wine's 64-bit loader in two code pages;
# and the 32-bit product's whole suite where this kernel runs 32-bit
# programs (elsewhere only the check of its executables: see
# scripts/vm/test32.sh for a bounded 32-bit run in a test machine). Ends with
# CTest's summary line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
. "$root/scripts/arch.sh"
if runs_32bit; then
  echo "test: this kernel runs 32-bit programs: the 32-bit and the 64-bit suites"
else
  echo "test: this kernel runs 64-bit programs only: the 64-bit suite, and of the 32-bit product the check of its executables"
fi
cd "$root/build"
ctest --output-on-failure -j2
