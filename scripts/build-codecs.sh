#!/usr/bin/env bash
# Builds the picture decoders the shipped plug-in links statically (brotli,
# highway, libjxl's decoder, libde265, dav1d, libheif) for the given Windows
# processors (i686, x86_64; default both) from Debian's source packages, at
# the versions cmake/codecs.cmake pins, into /opt/trawlix-deps/codecs-ID/
# PROCESSOR, ID naming the pins and this script (cmake/codecs.cmake names
# them alike). Decoders only: no encoders, tools or tests.
# Once per machine and processor: each finished library leaves a stamp.
# Needs root, deb-src entries (scripts/install-deps.sh adds them), dpkg-dev,
# meson and nasm.
# --fetch: only fetch and unpack the sources (the caller builds something
# else meanwhile: the fetch mostly waits on the network).
set -euo pipefail
shopt -s inherit_errexit
root=$(cd "$(dirname "$0")/.." && pwd)
fetch_only=0
if [ "${1:-}" = --fetch ]; then
  fetch_only=1
  shift
fi
[ $# -gt 0 ] || set -- i686 x86_64
pins=$(sed -n 's/^ *"\([a-z0-9-]* [^"]*\)".*$/\1/p' "$root/cmake/codecs.cmake")
id=$({ printf '%s\n' "$pins"; cat "$root/scripts/build-codecs.sh"; } | sha1sum | cut -c1-10)
deps=/opt/trawlix-deps
prefix_of() { echo "$deps/codecs-$id/$1"; }
version_of() { printf '%s\n' "$pins" | sed -n "s/^$1 //p"; }

todo=0
for processor in "$@"; do
  [ -f "$(prefix_of "$processor")/stamp" ] || todo=1
done
[ "$todo" = 1 ] || exit 0

work="$deps/src/codecs-$id"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run() {  # quiet unless the step fails
  if ! "$@" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "build-codecs: failed: $*" >&2
    exit 1
  fi
}

# What the plug-in's build needs changed in a source, once, as it is unpacked.
adapt_source() {  # PACKAGE DIR
  local source=$2
  case "$1" in
    jpeg-xl)
      # Debian's source leaves out the colour-management libraries, which only
      # the encoder and the tools compile; empty stand-ins let the configure
      # step pass without them.
      mkdir -p "$source/third_party/skcms"
      touch "$source"/third_party/skcms/{skcms.h,skcms.cc,LICENSE}
      ;;
    libde265)
      # On Windows the decoder guards every block's progress with a kernel mutex
      # and event, made and closed per block: a server round trip each under
      # Wine, some 1,500 for a 1080p picture, more than its decode. MinGW's
      # POSIX threads take them in user space until two threads contend.
      sed -i 's|^#ifndef _WIN32$|#if !defined(_WIN32) \|\| defined(__MINGW32__)|' \
        "$source/libde265/threads.h" "$source/libde265/threads.cc"
      # The library carries an encoder too; the plug-in only decodes.
      sed -i -e '/^add_subdirectory (encoder)$/d' -e 's/ ${ENCODER_OBJECTS}//' -e '/^  en265.cc$/d' \
        "$source/libde265/CMakeLists.txt"
      ;;
  esac
}

# The sources, unpacked with Debian's patches applied.
mkdir -p "$work"
source_dir() {  # PACKAGE
  local version upstream
  version=$(version_of "$1")
  upstream=${version%%-*}
  if [ ! -d "$work/$1-$upstream" ]; then
    echo "build-codecs: fetching $1 $version" >&2
    # Where the security archive has a later version, apt may ask it for
    # this one's files too and get 404: then the main archive's, checked.
    if ! (cd "$work" && apt-get source -q "$1=$version" >"$log" 2>&1); then
      (cd "$work" && run apt-get source -q "$1/bookworm")
      if [ ! -f "$work/$1_$version.dsc" ]; then
        echo "build-codecs: the main archive has no $1 $version" >&2
        exit 1
      fi
    fi
    adapt_source "$1" "$work/$1-$upstream"
  fi
  echo "$work/$1-$upstream"
}

# Static builds, exporting nothing from the plug-in that links them.
static="-DLIBDE265_STATIC_BUILD -DLIBHEIF_STATIC_BUILD -DHWY_STATIC_DEFINE -DJXL_STATIC_DEFINE"

# A toolchain file per processor: the project's, finding what this script
# installed, with a realigned stack on 32-bit (Win32 callers keep 4-byte
# stack alignment; SIMD code spills to 16-byte slots).
# $cxx_extra: more C++ flags for one library.
toolchain_for() {  # NAME PROCESSOR PREFIX
  local file="$work/toolchain-$1-$2.cmake" flags=""
  [ "$2" = i686 ] && flags="-mstackrealign"
  cat >"$file" <<EOF
include("$root/cmake/mingw-$2.cmake")
list(APPEND CMAKE_FIND_ROOT_PATH "$3")
set(CMAKE_C_FLAGS_INIT "$flags $static")
set(CMAKE_CXX_FLAGS_INIT "$flags $static ${cxx_extra:-}")
EOF
  echo "$file"
}

cmake_build() {  # NAME PROCESSOR SOURCE TARGETS -- CMAKE_ARGS...
  local name=$1 processor=$2 source=$3 targets=$4
  shift 5
  local prefix tree
  prefix=$(prefix_of "$processor")
  tree="$work/build-$name-$processor"
  # -O2 rather than CMake's -O3 for Release: as fast here, and quicker to build.
  run cmake -S "$source" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_TOOLCHAIN_FILE="$(toolchain_for "$name" "$processor" "$prefix")" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@"
  # shellcheck disable=SC2086
  run cmake --build "$tree" --target $targets -- -j2
  echo "$tree"
}

build_brotli() {  # PROCESSOR PREFIX
  local source tree
  source=$(source_dir brotli)
  tree=$(cmake_build brotli "$1" "$source" "brotlidec-static brotlicommon-static" -- \
    -DBROTLI_DISABLE_TESTS=ON)
  mkdir -p "$2/lib" "$2/include"
  for part in common dec; do cp "$tree/libbrotli$part-static.a" "$2/lib/libbrotli$part.a"; done
  cp -r "$source/c/include/brotli" "$2/include/"
  mkdir -p "$2/licenses/brotli" && cp "$source/LICENSE" "$2/licenses/brotli/"
}

build_highway() {
  local source tree
  source=$(source_dir highway)
  tree=$(cmake_build highway "$1" "$source" "hwy" -- -DHWY_ENABLE_TESTS=OFF -DHWY_ENABLE_EXAMPLES=OFF \
    -DHWY_ENABLE_CONTRIB=OFF -DHWY_SYSTEM_GTEST=ON -DHWY_FORCE_STATIC_LIBS=ON)
  mkdir -p "$2/lib" "$2/include"
  cp "$tree/libhwy.a" "$2/lib/"
  (cd "$source" && find hwy -name '*.h' -not -path '*/tests/*' -exec cp --parents {} "$2/include/" \;)
  mkdir -p "$2/licenses/highway" && cp "$source/LICENSE" "$2/licenses/highway/"
}

build_jpeg_xl() {
  local source tree hwy_header="$work/hwy-targets-$1.h"
  source=$(source_dir jpeg-xl)
  # Highway compiles each vector routine once per x86 target it may pick at
  # run time: plain code and SSE4 on 32-bit (where it builds no AVX2; SSSE3
  # and AVX-512 are left out). Defined in a header, out of the shell's way;
  # libjxl then leaves the choice alone.
  echo '#define HWY_DISABLED_TARGETS (HWY_SSSE3 | HWY_AVX3 | HWY_AVX3_DL)' >"$hwy_header"
  local cxx_extra="-include $hwy_header"
  if [ "$1" = x86_64 ]; then
    # 64-bit: SSE4 alone, compiled in (half the build time of plain code,
    # SSE4 and AVX2 picked at run time, and as fast). Every 64-bit processor
    # made since 2011 has it; the plug-in refuses JPEG XL on one without
    # (plugins/wic/jxl.cpp). No AES or carry-less multiply: the decoder uses
    # neither.
    printf '#define HWY_COMPILE_ONLY_STATIC 1\n#define HWY_DISABLE_PCLMUL_AES 1\n' >>"$hwy_header"
    cxx_extra="$cxx_extra -msse4.2"
  fi
  # The decoder never links brotli's encoder, which libjxl's configure asks
  # for: an empty archive stands in for it.
  local no_encoder="$work/empty-$1/libbrotlienc.a"
  mkdir -p "${no_encoder%/*}" && "$1-w64-mingw32-ar" rc "$no_encoder"
  tree=$(cmake_build jpeg-xl "$1" "$source" "jxl_dec-static" -- -DJPEGXL_FORCE_SYSTEM_BROTLI=ON \
    -DBROTLIENC_LIBRARY="$no_encoder" \
    -DJPEGXL_FORCE_SYSTEM_HWY=ON -DJPEGXL_ENABLE_TOOLS=OFF -DJPEGXL_ENABLE_BENCHMARK=OFF \
    -DJPEGXL_ENABLE_EXAMPLES=OFF -DJPEGXL_ENABLE_MANPAGES=OFF -DJPEGXL_ENABLE_DOXYGEN=OFF \
    -DJPEGXL_ENABLE_JNI=OFF -DJPEGXL_ENABLE_SJPEG=OFF -DJPEGXL_ENABLE_OPENEXR=OFF \
    -DJPEGXL_ENABLE_SKCMS=ON -DJPEGXL_BUNDLE_SKCMS=OFF -DJPEGXL_ENABLE_TCMALLOC=OFF \
    -DJPEGXL_ENABLE_FUZZERS=OFF -DJPEGXL_WARNINGS_AS_ERRORS=OFF -DJPEGXL_ENABLE_TRANSCODE_JPEG=OFF)
  mkdir -p "$2/lib" "$2/include/jxl"
  cp "$tree/lib/libjxl_dec.a" "$2/lib/"
  cp "$source"/lib/include/jxl/*.h "$tree"/lib/include/jxl/*.h "$2/include/jxl/"
  mkdir -p "$2/licenses/libjxl" && cp "$source/LICENSE" "$source/PATENTS" "$2/licenses/libjxl/"
}

build_libde265() {
  local source tree
  source=$(source_dir libde265)
  tree=$(cmake_build libde265 "$1" "$source" "de265" -- -DENABLE_SDL=OFF -DENABLE_DECODER=OFF \
    -DENABLE_ENCODER=OFF)
  run cmake --install "$tree"
  mkdir -p "$2/licenses/libde265" && cp "$source/COPYING" "$2/licenses/libde265/"
}

build_dav1d() {
  local source tree cross
  source=$(source_dir dav1d)
  tree="$work/build-dav1d-$1"
  cross="$work/cross-$1.meson"
  local flags=""
  [ "$1" = i686 ] && flags="'-mstackrealign'"
  cat >"$cross" <<EOF
[binaries]
c = '$1-w64-mingw32-gcc-posix'
ar = '$1-w64-mingw32-ar'
strip = '$1-w64-mingw32-strip'
windres = '$1-w64-mingw32-windres'

[built-in options]
c_args = [$flags]

[host_machine]
system = 'windows'
cpu_family = '$([ "$1" = i686 ] && echo x86 || echo x86_64)'
cpu = '$1'
endian = 'little'
EOF
  run meson setup "$tree" "$source" --cross-file "$cross" --prefix "$2" --libdir lib -Doptimization=2 -Ddebug=false -Db_ndebug=true \
    -Ddefault_library=static -Denable_tools=false -Denable_tests=false -Denable_examples=false \
    -Denable_docs=false -Dbitdepths=8,16 -Dlogging=false
  run ninja -C "$tree" -j2 install
  mkdir -p "$2/licenses/dav1d" && cp "$source/COPYING" "$2/licenses/dav1d/"
}

build_libheif() {
  local source tree
  source=$(source_dir libheif)
  tree=$(cmake_build libheif "$1" "$source" "heif" -- -DWITH_EXAMPLES=OFF -DENABLE_PLUGIN_LOADING=OFF \
    -DWITH_LIBDE265=ON -DWITH_DAV1D=ON -DWITH_X265=OFF -DWITH_AOM_ENCODER=OFF -DWITH_AOM_DECODER=OFF \
    -DWITH_SvtEnc=OFF -DWITH_RAV1E=OFF -DWITH_FUZZERS=OFF -DWITH_GDK_PIXBUF=OFF \
    -DENABLE_PARALLEL_TILE_DECODING=OFF)
  run cmake --install "$tree"
  mkdir -p "$2/licenses/libheif" && cp "$source/COPYING" "$2/licenses/libheif/"
}

# Each processor's libraries, one after another (each needs the ones
# before it); only what is installed here is found, no host .pc file.
build_processor() {  # PROCESSOR
  local prefix
  prefix=$(prefix_of "$1")
  export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
  for library in brotli highway jpeg_xl libde265 dav1d libheif; do
    [ -f "$prefix/stamp-$library" ] && continue
    echo "build-codecs: building $library for $1"
    "build_$library" "$1" "$prefix"
    touch "$prefix/stamp-$library"
  done
  touch "$prefix/stamp"
}

# The sources first, then each processor's libraries (side by side the two
# processors took longer: they fight over two cores).
for package in brotli highway jpeg-xl libde265 dav1d libheif; do source_dir "$package" >/dev/null; done
[ "$fetch_only" = 0 ] || exit 0
for processor in "$@"; do
  [ -f "$(prefix_of "$processor")/stamp" ] && continue
  mkdir -p "$(prefix_of "$processor")"
  build_processor "$processor"
done
rm -rf "$work"
