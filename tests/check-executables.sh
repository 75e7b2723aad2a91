#!/usr/bin/env bash
# trawlix.exe is a 32-bit GUI program and it and the plug-ins need no DLL
# beyond the system's own: the runtime is linked in statically.
# Usage: check-executables.sh BUILD_DIR
set -u
build=$1
status=0
kind=$(file -b "$build/trawlix.exe")
case "$kind" in
  "PE32 executable (GUI) Intel 80386"*) echo "trawlix.exe: $kind" ;;
  *) echo "trawlix.exe is not a 32-bit GUI executable: $kind"; status=1 ;;
esac
system='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|OLEAUT32|COMCTL32|COMDLG32|SHLWAPI|VERSION|msvcrt|WINDOWSCODECS)\.dll$'
for module in "$build/trawlix.exe" "$build"/plugins/*.spi; do
  while read -r dll; do
    if ! echo "$dll" | grep -qiE "$system"; then
      echo "$(basename "$module") needs $dll, which Windows does not ship"
      status=1
    fi
  done < <(i686-w64-mingw32-objdump -p "$module" | sed -n 's/^\tDLL Name: //p')
done
[ "$status" = 0 ] && echo "no DLL beyond the system's own"
exit "$status"
