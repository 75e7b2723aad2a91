#!/usr/bin/env bash
# Builds libwebp's decoder and demuxer as static libraries for both Windows
# toolchains from Debian's source package, at the version cmake/libwebp.cmake
# pins, into /opt/trawlix-deps (outside the project's tree). Once per
# machine: a finished build leaves a stamp and is not redone. Needs root,
# deb-src entries (scripts/install-deps.sh adds them) and dpkg-dev.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^set(TRAWLIX_LIBWEBP_VERSION "\(.*\)")$/\1/p' "$root/cmake/libwebp.cmake")
upstream=${version%%-*}
deps=/opt/trawlix-deps
prefix="$deps/libwebp-$version"
[ -f "$prefix/stamp" ] && exit 0

echo "build-libwebp: building libwebp $version from Debian's source package"
work="$deps/src/libwebp-$version"
rm -rf "$work" "$prefix"
mkdir -p "$work"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run() {  # quiet unless the step fails
  if ! "$@" >"$log" 2>&1; then
    cat "$log"
    echo "build-libwebp: failed: $*" >&2
    exit 1
  fi
}
(cd "$work" && run apt-get source -q "libwebp=$version")
source_dir="$work/libwebp-$upstream"

for processor in i686 x86_64; do
  tree="$work/build-$processor"
  run cmake -S "$source_dir" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$processor.cmake" -DBUILD_SHARED_LIBS=OFF \
    -DWEBP_USE_THREAD=OFF -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
    -DWEBP_BUILD_LIBWEBPMUX=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF
  run cmake --build "$tree" --target webpdecoder webpdemux -- -j2
  mkdir -p "$prefix/$processor/lib" "$prefix/$processor/include/webp"
  cp "$tree/libwebpdecoder.a" "$tree/libwebpdemux.a" "$prefix/$processor/lib/"
  cp "$source_dir"/src/webp/{decode.h,demux.h,mux_types.h,types.h} "$prefix/$processor/include/webp/"
done
cp "$source_dir/COPYING" "$prefix/COPYING"
rm -rf "$work"
touch "$prefix/stamp"
