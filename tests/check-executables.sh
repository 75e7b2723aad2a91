#!/usr/bin/env bash
# trawlix.exe and its plug-in host are GUI programs of their tree's
# architecture (32-bit in build/target, 64-bit in build/x64), the other
# architecture's host is of the other, and they and the plug-ins need no DLL
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
for exe in trawlix.exe trawlix-spihost.exe; do
  kind=$(file -b "$build/$exe")
  case "$kind" in
    "$want"*) echo "$exe: $kind" ;;
    *) echo "$exe is not a $want: $kind"; status=1 ;;
  esac
done
# The other architecture's host, built by the other toolchain.
if [ "$plugins" = sph ]; then foreign=("$build/x86/trawlix-spihost.exe" "PE32 executable (GUI) Intel 80386")
else foreign=("$build/x64/trawlix-spihost.exe" "PE32+ executable (GUI) x86-64"); fi
case "$(file -b "${foreign[0]}")" in
  "${foreign[1]}"*) echo "${foreign[0]#"$build"/}: ${foreign[1]}" ;;
  *) echo "${foreign[0]} is not a ${foreign[1]}"; status=1 ;;
esac
shopt -s nullglob
modules=("$build"/plugins/*."$plugins")
[ "${#modules[@]}" -gt 0 ] || { echo "no plug-in *.$plugins in $build/plugins"; status=1; }
system='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|OLEAUT32|COMCTL32|COMDLG32|SHLWAPI|VERSION|msvcrt|WINDOWSCODECS)\.dll$'
for module in "$build/trawlix.exe" "$build/trawlix-spihost.exe" "${modules[@]}"; do
  while read -r dll; do
    if ! echo "$dll" | grep -qiE "$system"; then
      echo "$(basename "$module") needs $dll, which Windows does not ship"
      status=1
    fi
  done < <("$objdump" -p "$module" | sed -n 's/^\tDLL Name: //p')
done
[ "$status" = 0 ] && echo "no DLL beyond the system's own"
exit "$status"
