#!/usr/bin/env bash
# Configures and builds the three trees under build/: build/target (the
# 32-bit product, its plug-ins and Windows tests), build/x64 (the same for
# 64-bit Windows) and build/host (window-free units with sanitizers).
# build/CTestTestfile.cmake joins the trees this kernel can run into one
# ctest run (see scripts/arch.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
mkdir -p "$build"
. "$root/scripts/arch.sh"

configure_windows() {  # TREE TOOLCHAIN
  if [ ! -f "$build/$1/build.ninja" ]; then
    cmake -S "$root" -B "$build/$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2.cmake" >/dev/null
  fi
}
configure_windows target mingw-i686
configure_windows x64 mingw-x86_64
if [ ! -f "$build/host/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build/host" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi

# Quiet unless a step fails: then the whole log of that tree.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for tree in target x64 host; do
  echo "build: $tree"
  if ! cmake --build "$build/$tree" -- -j2 >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
done

{
  echo '# The trees this kernel runs, in one ctest run (written by scripts/build.sh).'
  echo 'subdirs("host")'
  echo 'subdirs("x64")'
  if runs_32bit; then
    echo 'subdirs("target")'
  else
    echo '# No 32-bit process starts here: of the 32-bit tree, only the check of its executables.'
    echo "add_test(wine32.executables \"$root/tests/check-executables.sh\" \"$build/target\")"
  fi
} >"$build/CTestTestfile.cmake"
