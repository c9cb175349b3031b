#!/usr/bin/env bash
# startup_bench.sh [--rounds N] START_EXE BARE_EXE TWO_EXE STYLED_EXE PROBE: start-up under Wine,
# from process start until the page colour shows at a point of the setup window's page, for the
# program, a bare Win32 window in the same colour, the program's two windows with nothing in them
# and the same two windows with the program's manifest (visual styles), in alternating rounds.
# Prints one line per round and then (medians, slowest)
#   result startup_bare start_ms bare_ms ratio
#   result startup_two start_ms two_ms ratio
#   result startup_styled start_ms styled_ms ratio
#   result startup_slowest start_ms two_ms ratio
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=7
if [ "${1:-}" = --rounds ]; then rounds=$2; shift 2; fi
[ $# -eq 5 ] || {
  echo "usage: startup_bench.sh [--rounds N] START_EXE BARE_EXE TWO_EXE STYLED_EXE PROBE" >&2
  exit 2
}
start_exe=$1 bare_exe=$2 two_exe=$3 styled_exe=$4 probe=$5

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

# warm-up: file cache, Wine's DLLs
run "$bare_exe" >/dev/null && run "$two_exe" >/dev/null && run "$styled_exe" >/dev/null &&
  run "$start_exe" >/dev/null
ours=() bares=() twos=() styleds=()
for r in $(seq "$rounds"); do
  b=$(run "$bare_exe") && t=$(run "$two_exe") && y=$(run "$styled_exe") && s=$(run "$start_exe") ||
    { echo "the page colour never showed" >&2; exit 1; }
  ours+=("$s") bares+=("$b") twos+=("$t") styleds+=("$y")
  printf 'start-up round %d: start.exe %7.1f ms   bare %7.1f ms   two windows %7.1f ms   styled %7.1f ms\n' \
    "$r" "$s" "$b" "$t" "$y"
done
python3 - "${ours[*]}" "${bares[*]}" "${twos[*]}" "${styleds[*]}" <<'PY'
import statistics, sys
ours, bare, two, styled = ([float(v) for v in a.split()] for a in sys.argv[1:5])
mine = statistics.median(ours)
for name, floor in (("startup_bare", bare), ("startup_two", two), ("startup_styled", styled)):
    floor = statistics.median(floor)
    print(f"result {name} {mine:.1f} {floor:.1f} {mine / floor:.2f}")
print(f"result startup_slowest {max(ours):.1f} {max(two):.1f} {max(ours) / max(two):.2f}")
PY
