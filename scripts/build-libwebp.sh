#!/usr/bin/env bash
# Builds libwebp's decoder and demuxer as static libraries for the given
# Windows processors (i686, x86_64; default both) from Debian's source
# package, at the version cmake/libwebp.cmake pins, into /opt/trawlix-deps
# (outside the project's tree). Once per machine and processor: a finished
# build leaves a stamp and is not redone. Needs root,
# deb-src entries (scripts/install-deps.sh adds them) and dpkg-dev.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^set(TRAWLIX_LIBWEBP_VERSION "\(.*\)")$/\1/p' "$root/cmake/libwebp.cmake")
upstream=${version%%-*}
deps=/opt/trawlix-deps
prefix="$deps/libwebp-$version"
[ $# -gt 0 ] || set -- i686 x86_64
todo=()
for processor in "$@"; do
  [ -f "$prefix/$processor/stamp" ] || todo+=("$processor")
done
[ "${#todo[@]}" -gt 0 ] || exit 0

echo "build-libwebp: building libwebp $version from Debian's source package"
work="$deps/src/libwebp-$version"
rm -rf "$work"
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

for processor in "${todo[@]}"; do
  rm -rf "${prefix:?}/$processor"
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
  mkdir -p "$prefix/$processor/licenses/libwebp"
  cp "$source_dir/COPYING" "$source_dir/PATENTS" "$prefix/$processor/licenses/libwebp/"
  touch "$prefix/$processor/stamp"
done
rm -rf "$work"
