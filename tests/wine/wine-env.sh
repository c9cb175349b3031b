# Shared by the Wine scripts: one prefix under build/wine, one Xvfb display when there is no
# DISPLAY, and the loader that fits a PE file. Source it; it defines functions only.
START_ROOT=${START_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
WINE_DIR=$(realpath -m "${START_WINE_DIR:-$START_ROOT/build/wine}")
export WINEPREFIX=${WINEPREFIX:-$WINE_DIR/prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
# Size of our Xvfb screen and of the prefix's virtual desktop.
WINE_SCREEN=${WINE_SCREEN:-1280x800}
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)

# Prints the loader for a PE file: wine64 for PE32+, wine for PE32.
wine_loader_for() {
  if file -b "$1" | grep -q 'PE32+'; then echo "$WINE64"; else echo "$WINE32"; fi
}

# True when 32-bit Windows programs can run here (i386 kernel support and wine32 installed).
wine_can_run_win32() {
  [ -x "$WINE32" ] && "$START_ROOT/scripts/can-run-i386"
}

xvfb_alive() {
  [ -f "$WINE_DIR/xvfb.pid" ] && kill -0 "$(cat "$WINE_DIR/xvfb.pid")" 2>/dev/null
}

# Starts Xvfb at WINE_SCREEN unless one of ours is running; exports DISPLAY.
wine_display_start() {
  mkdir -p "$WINE_DIR"
  if ! xvfb_alive; then
    local fifo="$WINE_DIR/displayfd"
    rm -f "$fifo"; mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${WINE_SCREEN}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    echo $! > "$WINE_DIR/xvfb.pid"
    local n; read -r -t 20 n < "$fifo" || { echo "wine-env: Xvfb did not start" >&2; return 1; }
    rm -f "$fifo"
    echo ":$n" > "$WINE_DIR/xvfb.display"
  fi
  export DISPLAY=$(cat "$WINE_DIR/xvfb.display")
}

wine_display_stop() {
  if xvfb_alive; then kill "$(cat "$WINE_DIR/xvfb.pid")" 2>/dev/null || true; fi
  rm -f "$WINE_DIR/xvfb.pid" "$WINE_DIR/xvfb.display"
}

# Boots the prefix once, with Wine's virtual desktop at the size of the X screen.
wine_prefix_ready() {
  mkdir -p "$WINE_DIR"
  (
    flock 9
    [ -f "$WINEPREFIX/.start-ready" ] && exit 0
    "$WINE64" wineboot -i >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$WINE_SCREEN" /f >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.start-ready"
  ) 9>"$WINE_DIR/prefix.lock"
}

# Uses the caller's DISPLAY unless START_WINE_XVFB=1 asks for our own Xvfb.
wine_session_start() {
  if [ -z "${DISPLAY:-}" ] || [ "${START_WINE_XVFB:-0}" = 1 ]; then
    wine_display_start || return 1
  fi
  wine_prefix_ready
}

wine_session_stop() {
  "$WINESERVER" -k 2>/dev/null || true
  wine_display_stop
}
