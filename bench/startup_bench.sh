#!/usr/bin/env bash
# startup_bench.sh [--rounds N] START_EXE BARE_EXE PROBE: start-up under Wine, from process
# start until the page colour shows at a point of the setup window's page, for the program and
# for a bare Win32 window in the same colour, in alternating rounds. Prints one line per round
# and then
#   result startup start_median_ms bare_median_ms ratio
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=7
if [ "${1:-}" = --rounds ]; then rounds=$2; shift 2; fi
[ $# -eq 3 ] || { echo "usage: startup_bench.sh [--rounds N] START_EXE BARE_EXE PROBE" >&2; exit 2; }
start_exe=$1 bare_exe=$2 probe=$3

# A Wine session of the bench's own, on an Xvfb of its own.
export START_WINE_DIR=${START_WINE_DIR:-$root/build/bench/wine}
export START_WINE_XVFB=1
. "$root/tests/wine/wine-env.sh"
trap wine_session_stop EXIT
wine_session_start >/dev/null
"$WINE64" cmd /c exit 0 >/dev/null 2>&1

# A point of the page below the setup window's texts (1280x800 desktop), page blue #0040D5.
point=(400 650)
colour=0040D5
loader=$(wine_loader_for "$start_exe")
run() { "$probe" "${point[@]}" "$colour" 20000 -- "$loader" "$1"; }

run "$bare_exe" >/dev/null && run "$start_exe" >/dev/null  # warm-up: file cache, Wine's DLLs
ours=() theirs=()
for r in $(seq "$rounds"); do
  b=$(run "$bare_exe") && s=$(run "$start_exe") || { echo "the page colour never showed" >&2; exit 1; }
  ours+=("$s") theirs+=("$b")
  printf 'start-up round %d: start.exe %7.1f ms   bare window %7.1f ms\n' "$r" "$s" "$b"
done
python3 - "${ours[*]}" "${theirs[*]}" <<'PY'
import statistics, sys
ours = [float(v) for v in sys.argv[1].split()]
bare = [float(v) for v in sys.argv[2].split()]
mine, base = statistics.median(ours), statistics.median(bare)
print(f"result startup {mine:.1f} {base:.1f} {mine / base:.2f}")
PY
