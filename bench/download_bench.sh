#!/usr/bin/env bash
# download_bench.sh [--rounds N] [--mib M] [--httpget PATH]: throughput of httpget against
# curl, both fetching the same file from nginx on loopback (served from tmpfs, written to
# /dev/null), for each body framing: Content-Length, chunked, and ended by the close. Rounds
# alternate between the two clients. Prints one line per round and, per framing, a line
#   result FRAMING httpget_median_s curl_median_s median_ratio slowest_ratio peak_kib body_bytes
# where a ratio is httpget's throughput over curl's median throughput.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=7
mib=512
httpget=
while (($#)); do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --mib) mib=$2; shift 2 ;;
    --httpget) httpget=$2; shift 2 ;;
    *) echo "usage: download_bench.sh [--rounds N] [--mib M] [--httpget PATH]" >&2; exit 2 ;;
  esac
done

if [ -z "$httpget" ]; then
  build="$root/build/bench"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSTART_SANITIZE=OFF \
    -DSTART_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target httpget -j "$(nproc)" >/dev/null
  httpget="$build/httpget"
fi

work=$(mktemp -d /dev/shm/start-bench.XXXXXX)
. "$root/scripts/loopback-nginx.sh"
cleanup() {
  nginx_stop
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
mkdir -p "$work/www/chunked" "$work/www/close" "$work/www/empty"
head -c $((mib * 1048576)) /dev/urandom >"$work/www/body.bin"
: >"$work/www/empty/none"
chmod -R a+rX "$work/www"
bytes=$(stat -c %s "$work/www/body.bin")

# The addition filter (an empty part before the body) takes the length away, so nginx sends
# the same file chunked, or, with chunked coding off, until it closes the connection.
nginx_start "$work" "
  access_log off;
  sendfile on;
  tcp_nopush on;" "
    location /empty/ { }
    location /chunked/ { alias $work/www/; addition_types *; add_before_body /empty/none; }
    location /close/ {
      alias $work/www/; addition_types *; add_before_body /empty/none;
      chunked_transfer_encoding off;
    }"
port=$nginx_port

# Runs a command under /usr/bin/time; prints "seconds peak_kib".
measure() {
  local t0 t1 rss
  t0=$(date +%s%N)
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null
  t1=$(date +%s%N)
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  echo "$(((t1 - t0) / 1000)) $rss"
}

# The framing nginx actually used, so a changed server setup cannot pass unnoticed.
framing_of() {
  local head
  head=$(curl -s -o /dev/null -D - "$1" | tr -d '\r')
  if grep -qi '^transfer-encoding: chunked' <<<"$head"; then echo chunked
  elif grep -qi '^content-length:' <<<"$head"; then echo length
  else echo close
  fi
}

echo "body: $bytes bytes from nginx on 127.0.0.1 (tmpfs), $rounds alternating rounds per framing"
for framing in length chunked close; do
  case $framing in
    length) url="http://127.0.0.1:$port/body.bin" ;;
    *) url="http://127.0.0.1:$port/$framing/body.bin" ;;
  esac
  seen=$(framing_of "$url")
  [ "$seen" = "$framing" ] || { echo "nginx sent $seen instead of $framing" >&2; exit 1; }
  "$httpget" "$url" /dev/null  # warm-up: page cache, nginx worker, and a check that it works
  ours=() theirs=() peak=0
  for r in $(seq "$rounds"); do
    read -r us uk < <(measure "$httpget" "$url" /dev/null)
    read -r cs _ < <(measure curl -s -o /dev/null "$url")
    ours+=("$us") theirs+=("$cs")
    ((uk > peak)) && peak=$uk
    printf '%-7s round %d: httpget %.3f s (peak %d KiB)   curl %.3f s\n' \
      "$framing" "$r" "$(bc -l <<<"$us / 1000000")" "$uk" "$(bc -l <<<"$cs / 1000000")"
  done
  python3 - "$framing" "$peak" "$bytes" "${ours[*]}" "${theirs[*]}" <<'PY'
import statistics, sys
framing, peak, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
ours = [int(v) / 1e6 for v in sys.argv[4].split()]
theirs = [int(v) / 1e6 for v in sys.argv[5].split()]
curl = statistics.median(theirs)
mine = statistics.median(ours)
print(f"result {framing} {mine:.3f} {curl:.3f} {curl / mine:.2f} {curl / max(ours):.2f} {peak} {size}")
PY
done
