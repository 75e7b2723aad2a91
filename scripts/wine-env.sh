# Sourced with a build tree in $build: the tree's private Wine prefix, quiet
# Wine, and the loader of the tree's own architecture in $WINE. /usr/bin/wine
# picks the 32-bit loader whenever wine32 is installed, so a 64-bit tree names
# its loader (and, for the processes Wine starts itself, WINELOADER). With a
# test session running, the session's display: the first Wine process of a
# server (winepath too) decides where the desktop lives.
export WINEPREFIX="${TRAWLIX_WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG=${TRAWLIX_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=$(cat "$build/wine-loader" 2>/dev/null || echo /usr/lib/wine/wine)
if [ "$WINE" = /usr/lib/wine/wine64 ]; then
  export WINELOADER=$WINE
fi
if [ -f "$build/wine-session/display" ]; then
  DISPLAY=$(cat "$build/wine-session/display")
  export DISPLAY
fi

# Wine draws the caption buttons with the Marlett font, and Debian's Wine
# does not look for its own fonts (fonts-wine) where they are installed:
# without a copy in the prefix's Fonts folder the buttons show as the
# letters "0 1 r". Call once the prefix exists.
wine_prefix_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

# Makes the prefix on first use, with a virtual desktop so windows show and
# hide without stalls, and its fonts. Wineboot's output goes to the file given.
wine_prefix_make() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE" wineboot -i >"$1" 2>&1 </dev/null
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f \
      >/dev/null 2>&1 </dev/null
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
      >/dev/null 2>&1 </dev/null
    # The desktop wineboot started is not a virtual one: end it, so the
    # first test window brings up the virtual desktop.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  wine_prefix_fonts
}
