#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and builds the
# libraries the plug-in links from Debian's sources for the given Windows
# processors (i686, x86_64; default both). Idempotent and quiet when
# everything is present already. Must run as root.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 fonts-wine xvfb xauth xdotool
  cmake ninja-build g++ clang libclang-rt-14-dev llvm-14 googletest locales file
  python3 python3-pil dpkg-dev meson nasm
  webp libavif-bin libheif-examples libjxl-tools
)

missing=()
need_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_i386=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "$need_i386" = 1 ] || [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]:-i386 architecture}"
  [ "$need_i386" = 1 ] && dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  log=$(mktemp)
  # An index that fails (a mirror in mid-sync) leaves the others, which may
  # hold everything needed: only a failed install stops.
  apt-get update -qq >"$log" 2>&1 || echo "install-deps: apt-get update failed in part; trying the install anyway"
  if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >>"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
  rm -f "$log"
fi

# libwebp and the other decoders are built from Debian's source packages:
# apt needs their deb-src entries, the same archives as the binary ones.
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "install-deps: adding deb-src entries for Debian's archives"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sources=/etc/apt/sources.list.d/trawlix-deb-src.sources
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$sources"
  else
    sources=/etc/apt/sources.list.d/trawlix-deb-src.list
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$sources"
  fi
  # As above: a source package missing from the indexes stops its build.
  if ! apt-get update -qq >/dev/null 2>&1; then
    echo "install-deps: apt-get update failed in part with $sources; going on" >&2
  fi
fi
# The decoders' sources download while libwebp builds.
bash "$(dirname "$0")/build-codecs.sh" --fetch "$@" &
fetching=$!
bash "$(dirname "$0")/build-libwebp.sh" "$@"
wait "$fetching"
bash "$(dirname "$0")/build-codecs.sh" "$@"

# The double-byte code page tests run Wine under a Japanese locale.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  echo "install-deps: generating ja_JP.UTF-8 locale"
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
