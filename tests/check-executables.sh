#!/usr/bin/env bash
# trawlix.exe is a GUI program of its tree's architecture (32-bit in
# build/target, 64-bit in build/x64), and it and the plug-ins need no DLL
# beyond the system's own: the runtime is linked in statically.
# Usage: check-executables.sh BUILD_DIR
set -u
build=$1
status=0
if [ "$(cat "$build/wine-loader")" = /usr/lib/wine/wine64 ]; then
  want="PE32+ executable (GUI) x86-64"; objdump=x86_64-w64-mingw32-objdump; plugins=sph
else
  want="PE32 executable (GUI) Intel 80386"; objdump=i686-w64-mingw32-objdump; plugins=spi
fi
kind=$(file -b "$build/trawlix.exe")
case "$kind" in
  "$want"*) echo "trawlix.exe: $kind" ;;
  *) echo "trawlix.exe is not a $want: $kind"; status=1 ;;
esac
shopt -s nullglob
modules=("$build"/plugins/*."$plugins")
[ "${#modules[@]}" -gt 0 ] || { echo "no plug-in *.$plugins in $build/plugins"; status=1; }
system='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|OLEAUT32|COMCTL32|COMDLG32|SHLWAPI|VERSION|msvcrt|WINDOWSCODECS)\.dll$'
for module in "$build/trawlix.exe" "${modules[@]}"; do
  while read -r dll; do
    if ! echo "$dll" | grep -qiE "$system"; then
      echo "$(basename "$module") needs $dll, which Windows does not ship"
      status=1
    fi
  done < <("$objdump" -p "$module" | sed -n 's/^\tDLL Name: //p')
done
[ "$status" = 0 ] && echo "no DLL beyond the system's own"
exit "$status"
