#!/usr/bin/env bash
# httpget against Debian's nginx on a loopback port: files of several sizes, Content-Length
# and chunked bodies, redirects on one kept connection, a 404.
# usage: nginx_test.sh HTTPGET WORKDIR
set -euo pipefail
httpget=$1
work=$2
rm -rf "$work"
mkdir -p "$work/www/files" "$work/tmp" "$work/out"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
sizes=(0 1 1000 32767 32768 32769 100000 1048576 5242880)
for n in "${sizes[@]}"; do head -c "$n" /dev/urandom > "$work/www/files/$n.bin"; done

cat > "$work/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 64; }
http {
  log_format conn '\$connection \$request \$status';
  access_log $work/access.log conn;
  client_body_temp_path $work/tmp/body;
  proxy_temp_path $work/tmp/proxy;
  fastcgi_temp_path $work/tmp/fastcgi;
  uwsgi_temp_path $work/tmp/uwsgi;
  scgi_temp_path $work/tmp/scgi;
  keepalive_timeout 30;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$port;
    root $work/www;
    location = /start { return 302 /hop/one; }
    location = /hop/one { return 301 ../hop2/../files/100000.bin; }
    location = /secure { return 302 https://127.0.0.1:$port/files/1.bin; }
    # Substitution without a match keeps the bytes but drops the length: chunked coding.
    location /chunked/ {
      alias $work/www/files/;
      sub_filter_types *;
      sub_filter_once off;
      sub_filter 'no such text anywhere' 'x';
    }
  }
}
CONF

nginx -c "$work/nginx.conf" -e "$work/error.log" &
nginx_pid=$!
trap 'kill "$nginx_pid" 2>/dev/null; wait "$nginx_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
base="http://127.0.0.1:$port"

for n in "${sizes[@]}"; do
  "$httpget" "$base/files/$n.bin" "$work/out/$n.bin" --progress > "$work/out/$n.progress" || fail "GET $n.bin exited $?"
  cmp -s "$work/www/files/$n.bin" "$work/out/$n.bin" || fail "bytes of $n.bin differ"
  head -1 "$work/out/$n.progress" | grep -qx "begin $n" || fail "$n.bin: first progress line"
  if [ "$n" -gt 0 ]; then tail -1 "$work/out/$n.progress" | grep -qx "work $n" || fail "$n.bin: last progress line"; fi
done

for n in 1 32768 1048576; do
  "$httpget" "$base/chunked/$n.bin" "$work/out/chunked-$n.bin" --progress > "$work/out/chunked-$n.progress" || fail "chunked $n exited $?"
  cmp -s "$work/www/files/$n.bin" "$work/out/chunked-$n.bin" || fail "chunked $n.bin differs"
  head -1 "$work/out/chunked-$n.progress" | grep -qx "begin 0" || fail "chunked $n: begin is not 0"
done

"$httpget" "$base/start" "$work/out/redirected.bin" || fail "redirect chain exited $?"
cmp -s "$work/www/files/100000.bin" "$work/out/redirected.bin" || fail "redirect chain bytes differ"
conns=$(grep -E ' GET /(start|hop/one|files/100000.bin) ' "$work/access.log" | tail -3 | cut -d' ' -f1 | sort -u | wc -l)
[ "$conns" -eq 1 ] || fail "redirect chain used $conns connections instead of 1"

if "$httpget" "$base/files/missing.bin" "$work/out/missing.bin" 2> "$work/out/missing.err"; then fail "404 succeeded"; fi
[ ! -e "$work/out/missing.bin" ] || fail "404 wrote a file"
grep -q 404 "$work/out/missing.err" || fail "404 not named on stderr"

if "$httpget" "$base/secure" "$work/out/secure.bin" 2>/dev/null; then fail "https redirect succeeded"; fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s); nginx access log:"; cat "$work/access.log"
  exit 1
fi
echo "nginx: all transfers as expected"
