#!/usr/bin/env bash
# Configures and builds the trees under build/ that are given, by default
# all three: build/target (the 32-bit product, its plug-ins and Windows
# tests), build/x64 (the same for 64-bit Windows) and build/host (window-free
# units with sanitizers). build/CTestTestfile.cmake joins the trees this
# kernel can run into one ctest run (see scripts/arch.sh).
# Usage: scripts/build.sh [target|x64|host]...
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
[ $# -gt 0 ] || set -- target x64 host
for tree in "$@"; do
  case "$tree" in
    target) configure_windows target mingw-i686 ;;
    x64) configure_windows x64 mingw-x86_64 ;;
    host)
      if [ ! -f "$build/host/build.ninja" ]; then
        CC=clang CXX=clang++ cmake -S "$root" -B "$build/host" -G Ninja \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
      fi ;;
    *) echo "build: no tree $tree" >&2; exit 2 ;;
  esac
done

# Quiet unless a step fails: then the whole log of that tree.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for tree in "$@"; do
  echo "build: $tree"
  if ! cmake --build "$build/$tree" --target "${TRAWLIX_BUILD_TARGET:-all}" -- -j2 >"$log" 2>&1; then
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
