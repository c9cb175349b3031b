# Shared by the Wine scripts: one prefix under build/wine, one Xvfb display when there is no
# DISPLAY, and the Wine that runs the tier. Source it; it defines functions only.
# A tier (START_WINE_TIER) is the build its tests run. win64 runs on Debian 12's Wine. win32, the
# shipped program, runs on every machine the same way: on Wine 10 from the Debian 13 root that
# scripts/wine-root builds, whose 64-bit loader runs the 32-bit code ("wow64" mode), so it needs
# no i386 support of the kernel and gets the address space of a 32-bit program on 64-bit
# Windows. START_WINE_MODE=i386 runs it on Debian 12's 32-bit loader (wine32) instead.
START_ROOT=${START_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
WINE_DIR=$(realpath -m "${START_WINE_DIR:-$START_ROOT/build/wine}")
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export START_WINE_ROOT=$(realpath -m "${START_WINE_ROOT:-$START_ROOT/build/deps/wine-root}")
START_WINE_TIER=${START_WINE_TIER:-win64}
if [ -n "${START_WINE_MODE:-}" ]; then
  WINE_MODE=$START_WINE_MODE
  # A mode chosen by hand keeps a prefix of its own: Wine 8 cannot use one that Wine 10 updated.
  WINE_DIR=$WINE_DIR-$WINE_MODE
elif [ "$START_WINE_TIER" = win64 ]; then
  WINE_MODE=x86-64
else
  WINE_MODE=wow64
fi
if [ "$WINE_MODE" = wow64 ]; then
  WINE64=$START_ROOT/tests/wine/root-wine64
  WINE32=$WINE64
  WINESERVER=$START_ROOT/tests/wine/root-wineserver
else
  WINE64=/usr/lib/wine/wine64
  WINE32=/usr/lib/wine/wine
  WINESERVER=/usr/lib/wine/wineserver
  [ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
fi
export WINEPREFIX=${WINEPREFIX:-$WINE_DIR/prefix}
# Size of our Xvfb screen and of the prefix's virtual desktop.
WINE_SCREEN=${WINE_SCREEN:-1280x800}

# Prints the loader for a PE file: wine64 for PE32+, wine for PE32 (wine64 too in WoW64 mode).
wine_loader_for() {
  if file -b "$1" | grep -q 'PE32+'; then echo "$WINE64"; else echo "$WINE32"; fi
}

# One line for the test log: which Wine runs this tier, and how.
wine_describe() {
  local how
  case $WINE_MODE in
    wow64) how="Wine from the Debian 13 root $START_WINE_ROOT, WoW64 mode: its 64-bit loader runs the 32-bit code" ;;
    i386) how="Debian 12's Wine, its 32-bit loader" ;;
    *) how="Debian 12's Wine, 64-bit loader" ;;
  esac
  echo "wine: tier $START_WINE_TIER on $("$WINE64" --version 2>/dev/null || echo 'no Wine'): $how; prefix $WINEPREFIX"
}

# Fails loudly when this machine cannot run the tier.
wine_check() {
  if [ "$WINE_MODE" = wow64 ] && [ ! -f "$START_WINE_ROOT/.complete" ]; then
    echo "wine: tier $START_WINE_TIER cannot run: the Wine root $START_WINE_ROOT is missing" \
      "(scripts/setup builds it)" >&2
    return 1
  fi
  local loader=$WINE32
  [ "$START_WINE_TIER" = win64 ] && loader=$WINE64
  if ! "$loader" --version >/dev/null 2>&1; then
    echo "wine: tier $START_WINE_TIER cannot run: $loader does not start here" >&2
    return 1
  fi
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
