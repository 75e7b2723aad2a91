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
