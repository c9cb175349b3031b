#!/usr/bin/env bash
# job_bench.sh [--rounds N] [--mib M] OURS_EXE FLOOR_EXE INSTALLER_EXE: the whole job under
# Wine, from process start until the downloaded installer runs, for the program's job (job_ours:
# its download controller, client, buffer, save and launch) and for a minimal program doing only
# the job (job_floor), in alternating rounds against the same nginx on loopback. The installer is
# INSTALLER_EXE (it marks its start beside itself) padded to M MiB. Prints one line per round and
#   result job_total ours_ms floor_ms ratio
#   result job_transfer ours_ms floor_ms ratio
#   result job_save ours_ms floor_ms ratio
#   result job_peak ours_kib floor_kib ratio
# (medians; save covers writing the file and handing it to the shell).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=5
mib=512
while [ "${1:-}" = --rounds ] || [ "${1:-}" = --mib ]; do
  case "$1" in
    --rounds) rounds=$2 ;;
    --mib) mib=$2 ;;
  esac
  shift 2
done
[ $# -eq 3 ] || { echo "usage: job_bench.sh [--rounds N] [--mib M] OURS_EXE FLOOR_EXE INSTALLER_EXE" >&2; exit 2; }
ours_exe=$1 floor_exe=$2 installer=$3

# Linux grows a loopback connection's receive window only when the reader happens to find more
# than a window's worth in one round trip; whether it does is chance, and a transfer that never
# grows takes 2.5 times as long, whichever program runs it. So each round gets the same start: a
# network namespace of the bench's own where receive buffers start at 4 MiB.
if [ -z "${START_JOB_NETNS:-}" ] && [ "$(id -u)" = 0 ] && command -v unshare >/dev/null; then
  export START_JOB_NETNS=1
  exec unshare --net -- bash -c 'ip link set lo up &&
    sysctl -qw net.ipv4.tcp_rmem="4096 4194304 33554432" && exec "$@"' job_bench \
    "$0" --rounds "$rounds" --mib "$mib" "$@"
fi
if [ -n "${START_JOB_NETNS:-}" ]; then
  echo "job: in a network namespace of its own, TCP receive buffers start at 4 MiB"
else
  echo "job: on the system's network settings; the loopback window grows by chance" >&2
fi

export START_WINE_DIR=${START_WINE_DIR:-$root/build/bench/wine}
export START_WINE_XVFB=1
. "$root/tests/wine/wine-env.sh"
. "$root/scripts/loopback-nginx.sh"

work=$(mktemp -d /dev/shm/start-job.XXXXXX)
cleanup() {
  nginx_stop
  rm -rf "$work"
  wine_session_stop
}
trap cleanup EXIT
chmod 755 "$work"
mkdir -p "$work/www/prg"
cp "$installer" "$work/www/prg/tumo.exe"
truncate -s $((mib * 1048576)) "$work/www/prg/tumo.exe"
chmod -R a+rX "$work/www"
nginx_start "$work" "
  access_log off;
  sendfile on;
  tcp_nopush on;"
port=$nginx_port

wine_session_start >/dev/null
"$WINE64" cmd /c exit 0 >/dev/null 2>&1
temp=$("$WINE64" winepath -u "$("$WINE64" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
target="$temp/marlek-tumo.exe"
loader=$(wine_loader_for "$ours_exe")

# Runs one program; prints "total_ms transfer_ms save_ms peak_kib" once the installer has run.
run() {
  rm -f "$target" "$target.ran"
  local t0 t1 line
  t0=$(date +%s%N)
  line=$(/usr/bin/time -v -o "$work/time.txt" "$loader" "$@" 2>/dev/null | tr -d '\r' | grep '^result job') ||
    { echo "job_bench: $1 failed" >&2; return 1; }
  for _ in $(seq 3000); do
    [ -f "$target.ran" ] && break
    sleep 0.01
  done
  [ -f "$target.ran" ] || { echo "job_bench: the installer did not run after $1" >&2; return 1; }
  t1=$(date +%s%N)
  echo "$(((t1 - t0) / 1000000)) $(cut -d' ' -f3,4 <<<"$line") \
$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")"
}

echo "job: $((mib * 1048576)) bytes from nginx on 127.0.0.1 (tmpfs) under Wine, $rounds alternating rounds"
run "$floor_exe" 127.0.0.1 "$port" /prg/tumo.exe >/dev/null  # warm-up: page cache, Wine's DLLs
run "$ours_exe" "127.0.0.1:$port" >/dev/null
ours=() floor=()
for r in $(seq "$rounds"); do
  f=$(run "$floor_exe" 127.0.0.1 "$port" /prg/tumo.exe)
  o=$(run "$ours_exe" "127.0.0.1:$port")
  ours+=("$o") floor+=("$f")
  printf 'job round %d: ours %s   floor %s   (total transfer save ms, peak KiB)\n' "$r" "$o" "$f"
done
python3 - "$(printf '%s;' "${ours[@]}")" "$(printf '%s;' "${floor[@]}")" <<'PY'
import statistics, sys
def columns(arg):
    rows = [[float(v) for v in r.split()] for r in arg.split(";") if r.strip()]
    return [statistics.median(c) for c in zip(*rows)]
ours, floor = columns(sys.argv[1]), columns(sys.argv[2])
for name, i in (("job_total", 0), ("job_transfer", 1), ("job_save", 2), ("job_peak", 3)):
    print(f"result {name} {ours[i]:.0f} {floor[i]:.0f} {ours[i] / floor[i]:.2f}")
PY
