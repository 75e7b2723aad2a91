#!/usr/bin/env bash
# Configures and builds both trees under build/: build/target (trawlix.exe,
# plug-ins and Windows tests, cross-built) and build/host (window-free units
# with sanitizers). build/CTestTestfile.cmake joins both for one ctest run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
mkdir -p "$build"

if [ ! -f "$build/target/build.ninja" ]; then
  cmake -S "$root" -B "$build/target" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
fi
if [ ! -f "$build/host/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build/host" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi

cmake --build "$build/target" -- -j2
cmake --build "$build/host" -- -j2

cat >"$build/CTestTestfile.cmake" <<'CTEST'
# Runs the host and the Windows test trees together.
subdirs("host")
subdirs("target")
CTEST
