#!/usr/bin/env bash
# The release zip of a Windows build tree, unpacked into a fresh Wine prefix:
# it holds the program, its plug-in, the guide and every license, and the
# unpacked program finds, previews and sets as the wallpaper pictures of the
# container formats with its own plug-in (the end-to-end test of those,
# pointed at the unpacked folder). Runs in the tree's test session display.
# Usage: tests/package-test.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
zip=$(bash "$root/scripts/package.sh" "$(basename "$build")" | tail -n 1)
work=$(mktemp -d)
export TRAWLIX_WINEPREFIX="$work/prefix"
. "$root/scripts/wine-env.sh"
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

/usr/bin/python3 -m zipfile -e "$zip" "$work/unpacked"
release=$(echo "$work"/unpacked/trawlix-*)
for part in trawlix.exe trawlix.txt plugins/wic.sp? licenses/libwebp/COPYING licenses/libheif/COPYING \
  licenses/libde265/COPYING licenses/dav1d/COPYING licenses/libjxl/LICENSE licenses/highway/LICENSE \
  licenses/brotli/LICENSE; do
  # shellcheck disable=SC2086
  ls "$release"/$part >/dev/null 2>&1 || { echo "package: $(basename "$zip") has no $part" >&2; exit 1; }
done
echo "package: $(basename "$zip"), $(stat -c %s "$zip") bytes"

wine_prefix_make "$work/wineboot.log"
wineserver -p >/dev/null 2>&1 </dev/null
TRAWLIX_RELEASE=$("$WINE" winepath -w "$release")
export TRAWLIX_RELEASE
"$root/scripts/wine-run.sh" "$build" "$build/tests/e2e_tests.exe" --gtest_filter='EndToEnd.TheNewFormats*'
