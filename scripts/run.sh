#!/usr/bin/env bash
# Installs what is missing, builds, and starts Trawlix under Wine from the
# bundle this kernel runs (trawlix.exe beside its plug-ins and sample
# pictures): the 32-bit product where the kernel runs 32-bit programs, else
# the 64-bit build. Without a DISPLAY it starts its own Xvfb and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/arch.sh"
tree=$(native_tree)
# Only what the program started needs: its own tree and that tree's libraries.
bash "$root/scripts/install-deps.sh" "$([ "$tree" = target ] && echo i686 || echo x86_64)"
bash "$root/scripts/build.sh" "$tree"
build="$root/build/$tree"
bundle="$build/bundle"
# The caller's display, not a test session's that wine-env.sh would pick.
caller_display=${DISPLAY:-}
. "$root/scripts/wine-env.sh"
if [ -n "$caller_display" ]; then export DISPLAY="$caller_display"; else unset DISPLAY; fi
export WINEPREFIX="$build/run-prefix"
if [ "$tree" = target ]; then
  echo "run: the 32-bit product ($bundle)"
elif runs_32bit; then
  echo "run: the 64-bit build, as TRAWLIX_TREE asks ($bundle)"
else
  echo "run: this kernel runs 64-bit programs only: the 64-bit build ($bundle)"
fi

if [ -z "${DISPLAY:-}" ]; then
  n=99
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'wineserver -k >/dev/null 2>&1 || true; kill $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY=":$n"
  echo "run: no DISPLAY; started Xvfb on $DISPLAY (screenshot: import -window root -display $DISPLAY shot.png)"
  sleep 1
  # Xvfb has no window manager: Wine's virtual desktop frames the window.
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true  # the next start brings up the virtual desktop
  wineserver -w >/dev/null 2>&1 || true
fi
# A fresh prefix, with the font of the caption buttons.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE" wineboot -i >/dev/null 2>&1
fi
wine_prefix_fonts
# A newcomer lands in a working program: the bundled plug-ins, the samples
# as the most recent search folder (with subfolders) and a stored condition
# set that matches some of them.
if [ ! -f "$bundle/trawlix.ini" ]; then
  plugins=$("$WINE" winepath -w "$bundle/plugins" 2>/dev/null)
  samples=$("$WINE" winepath -w "$bundle/samples" 2>/dev/null)
  {
    printf '[trawlix]\r\nSPIDir=%s\r\n' "$plugins"
    printf 'recentScandir0=%s\r\nrecentScandirRecurse0=-2147483648\r\n' "$samples"
    printf 'ConditionSet0.Name=Full HD or larger\r\n'
    printf 'ConditionSet0.0.width=1920\r\nConditionSet0.0.height=1080\r\nConditionSet0.0.cond=2\r\n'
    printf 'ConditionSet0.1.width=1366\r\nConditionSet0.1.height=768\r\nConditionSet0.1.cond=0\r\n'
  } >"$bundle/trawlix.ini"
  echo "run: wrote $bundle/trawlix.ini: the bundled plug-ins, the samples, the set \"Full HD or larger\""
fi
echo "run: the condition-set button (third of the condition pane) loads the stored set; Find then searches the samples"
cd "$bundle"
echo "run: starting $bundle/trawlix.exe"
status=0
"$WINE" trawlix.exe || status=$?
echo "run: trawlix.exe ended with exit code $status"
