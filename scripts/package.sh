#!/usr/bin/env bash
# Packs a release zip per Windows build tree (target: win32, x64: win64;
# default both): trawlix.exe, its plug-in hosts (the other architecture's in
# x64\ or x86\), its plug-ins, the user's guide and licenses/,
# the bundle's files but not its sample pictures, the executables stripped
# of their symbols, into build/dist/trawlix-VERSION-win32.zip and
# -win64.zip. Builds first.
# Prints each zip's path. Usage: scripts/package.sh [target|x64]...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- target x64
version=$(sed -n 's/^ *VALUE "ProductVersion", "\([0-9]*\.[0-9]*\.[0-9]*\)\.[0-9]*"$/\1/p' "$root/res/trawlix.rc")
[ -n "$version" ] || { echo "package: no ProductVersion in res/trawlix.rc" >&2; exit 1; }
mkdir -p "$root/build/dist"
for tree in "$@"; do
  case "$tree" in
    target) name=win32 strip=i686-w64-mingw32-strip foreign=x64 ;;
    x64) name=win64 strip=x86_64-w64-mingw32-strip foreign=x86 ;;
    *) echo "package: no tree $tree" >&2; exit 2 ;;
  esac
  bundle="$root/build/$tree/bundle"
  cmake --build "$root/build/$tree" --target bundle -- -j2 >/dev/null
  zip="$root/build/dist/trawlix-$version-$name.zip"
  rm -f "$zip"
  /usr/bin/python3 - "$bundle" "$zip" "trawlix-$version" "$strip" "$foreign" <<'PY'
import os, subprocess, sys, tempfile, zipfile
bundle, target, top, strip, foreign = sys.argv[1:]
scratch = tempfile.mkdtemp()
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for part in ("trawlix.exe", "trawlix-spihost.exe", foreign, "trawlix.txt", "plugins", "licenses"):
        path = os.path.join(bundle, part)
        files = [path] if os.path.isfile(path) else sorted(
            os.path.join(d, f) for d, _, names in os.walk(path) for f in names)
        if not files:
            sys.exit("package: %s is missing from %s" % (part, bundle))
        for f in files:
            if f.endswith((".exe", ".spi", ".sph")):
                # The other architecture's host takes its own toolchain's strip.
                tool = strip
                if os.path.relpath(f, bundle).startswith(foreign + os.sep):
                    tool = {"x64": "x86_64-w64-mingw32-strip", "x86": "i686-w64-mingw32-strip"}[foreign]
                stripped = os.path.join(scratch, str(len(os.listdir(scratch))) + os.path.basename(f))
                subprocess.run([tool, "-o", stripped, f], check=True)
                f, name = stripped, os.path.relpath(f, bundle)
            else:
                name = os.path.relpath(f, bundle)
            z.write(f, os.path.join(top, name))
PY
  echo "$zip"
done
