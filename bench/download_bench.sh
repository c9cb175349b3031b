#!/usr/bin/env bash
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=3
mib=512
while (($#)); do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --mib) mib=$2; shift 2 ;;
    *) echo "usage: scripts/bench [--rounds N] [--mib M]" >&2; exit 2 ;;
  esac
done

build="$root/build/bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSTART_SANITIZE=OFF -DSTART_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target httpget -j "$(nproc)" >/dev/null
httpget="$build/httpget"

work=$(mktemp -d /dev/shm/start-bench.XXXXXX)
nginx_pid=
cleanup() {
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
mkdir -p "$work/www" "$work/tmp"
head -c $((mib * 1048576)) /dev/urandom > "$work/www/body.bin"
chmod 644 "$work/www/body.bin"
bytes=$(stat -c %s "$work/www/body.bin")

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  client_body_temp_path $work/tmp/body;
  proxy_temp_path $work/tmp/proxy;
  fastcgi_temp_path $work/tmp/fastcgi;
  uwsgi_temp_path $work/tmp/uwsgi;
  scgi_temp_path $work/tmp/scgi;
  default_type application/octet-stream;
  server { listen 127.0.0.1:$port; root $work/www; }
}
CONF
nginx -c "$work/nginx.conf" -e "$work/error.log" &
nginx_pid=$!
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
url="http://127.0.0.1:$port/body.bin"

# Runs a command under /usr/bin/time; prints "seconds peak_kib".
measure() {
  local t0 t1 rss
  t0=$(date +%s.%N)
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null
  t1=$(date +%s.%N)
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  echo "$(echo "$t1 - $t0" | bc -l) $rss"
}

mibps() { echo "scale=1; $bytes / 1048576 / $1" | bc -l; }

echo "body: $bytes bytes from nginx on 127.0.0.1 (tmpfs), $rounds rounds"
measure "$httpget" "$url" /dev/null >/dev/null  # warm-up: page cache, nginx worker
client_total=0; curl_total=0; peak=0
for r in $(seq "$rounds"); do
  read -r cs ck < <(measure "$httpget" "$url" /dev/null)
  read -r us uk < <(measure curl -s -o /dev/null "$url")
  client_total=$(echo "$client_total + $cs" | bc -l)
  curl_total=$(echo "$curl_total + $us" | bc -l)
  ((ck > peak)) && peak=$ck
  printf 'round %d: httpget %7.1f MiB/s (%.3f s, peak %d KiB)   curl %7.1f MiB/s (%.3f s)\n' \
    "$r" "$(mibps "$cs")" "$cs" "$ck" "$(mibps "$us")" "$us"
done
client_rate=$(mibps "$(echo "$client_total / $rounds" | bc -l)")
curl_rate=$(mibps "$(echo "$curl_total / $rounds" | bc -l)")
ratio=$(echo "scale=3; $curl_total / $client_total" | bc -l)
limit_kib=$((bytes / 1024 + 16 * 1024))
echo "httpget: $client_rate MiB/s   curl: $curl_rate MiB/s   ratio httpget/curl: $ratio (target >= 1.0)"
echo "httpget peak RSS: $peak KiB, body + 16 MiB = $limit_kib KiB ($([ "$peak" -le "$limit_kib" ] && echo within || echo OVER))"
