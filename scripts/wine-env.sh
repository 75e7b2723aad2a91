# Sourced with a build tree in $build: the tree's private Wine prefix, quiet
# Wine, and the loader of the tree's own architecture in $WINE. /usr/bin/wine
# picks the 32-bit loader whenever wine32 is installed, so a 64-bit tree names
# its loader (and, for the processes Wine starts itself, WINELOADER).
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=${TRAWLIX_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=$(cat "$build/wine-loader" 2>/dev/null || echo /usr/lib/wine/wine)
if [ "$WINE" = /usr/lib/wine/wine64 ]; then
  export WINELOADER=$WINE
fi
