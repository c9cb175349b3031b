#!/usr/bin/env bash
# responsiveness_bench.sh [--rounds N] [--source DIR]: how quickly start.exe answers while a
# loopback server trickles the installer at 5 bytes a second, under Wine on an Xvfb of its own:
# WM_GETTEXT sent by another process about ten times a second (idle, then during the trickle:
# median and slowest answer), a click on cancel until the screen changes, a click on the close
# button until the process is gone. DIR (default: this tree) is the source whose start.exe is
# measured, e.g. an export of another branch for a comparison; wintool comes from this tree's
# win64 build. Prints one line per round and then, as "result NAME OURS YARDSTICK RATIO":
#   gettext_median, gettext_max  WM_GETTEXT answers during the trickle against idle ones (ms)
#   cancel_screen                cancel click to the screen changing, median (ms)
#   close_gone                   close click to the process gone, against closing when idle
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=3
source=$root
while (($#)); do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --source) source=$(cd "$2" && pwd); shift 2 ;;
    *) echo "usage: responsiveness_bench.sh [--rounds N] [--source DIR]" >&2; exit 2 ;;
  esac
done

port=18437
work=$root/build/bench/responsiveness
variants=$work/variants-$(basename "$source")
tree=$variants/win64-seDirectInstall
mkdir -p "$tree"
# The preset finds the cross-built libraries under the source's build/deps.
[ -e "$source/build/deps" ] || { mkdir -p "$source/build" && ln -s "$root/build/deps" "$source/build/deps"; }
(cd "$source" && cmake --preset win64 -B "$tree" -DSTART_DOWNLOAD_HOST=127.0.0.1:$port \
   -DSTART_BUILD_TESTS=OFF -DSTART_SITE_DE=127.0.0.1:9 -DSTART_SITE_EN=127.0.0.1:9 \
   >"$tree/configure.log")
cmake --build "$tree" --target start demo-installer -j "$(nproc)" >"$tree/build.log"
(cd "$root" && cmake --preset win64 >/dev/null && cmake --build build/win64 --target wintool >/dev/null)
cmake -S "$root" -B "$root/build/bench" -DCMAKE_BUILD_TYPE=Release -DSTART_SANITIZE=OFF \
  -DSTART_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build/bench" --target screen_probe >/dev/null
cp "$root/build/win64/tests/wintool.exe" "$variants/wintool.exe"

export START_ROOT=$root START_E2E_VARIANTS=$variants START_E2E_PORT=$port
export START_WINE_DIR=$work/wine WINEPREFIX=$work/wine/prefix START_E2E_SHOTS=$work/shots
export PYTHONDONTWRITEBYTECODE=1
. "$root/tests/wine/wine-env.sh"
trap wine_session_stop EXIT
START_WINE_XVFB=1 wine_session_start >/dev/null
"$WINE64" cmd /c exit 0 >/dev/null 2>&1
python3 "$root/bench/responsiveness_bench.py" --rounds "$rounds" \
  --probe "$root/build/bench/bench/screen_probe"
