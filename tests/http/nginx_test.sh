#!/usr/bin/env bash
# httpget against Debian's nginx on a loopback port: files of several sizes, Content-Length
# and chunked bodies, redirects on one kept connection, a 404.
# usage: nginx_test.sh HTTPGET WORKDIR
set -euo pipefail
httpget=$1
work=$2
rm -rf "$work"
mkdir -p "$work/www/files" "$work/out"

sizes=(0 1 1000 32767 32768 32769 100000 1048576 5242880)
for n in "${sizes[@]}"; do head -c "$n" /dev/urandom > "$work/www/files/$n.bin"; done

. "$(dirname "$0")/../../scripts/loopback-nginx.sh"
trap nginx_stop EXIT
# Substitution without a match keeps the bytes but drops the length: chunked coding.
nginx_start "$work" "
  log_format conn '\$connection \$request \$status';
  access_log $work/access.log conn;
  keepalive_timeout 30;" "
    location = /start { return 302 /hop/one; }
    location = /hop/one { return 301 ../hop2/../files/100000.bin; }
    location = /secure { return 302 https://127.0.0.1:\$server_port/files/1.bin; }
    location /chunked/ {
      alias $work/www/files/;
      sub_filter_types *;
      sub_filter_once off;
      sub_filter 'no such text anywhere' 'x';
    }"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
base="http://127.0.0.1:$nginx_port"

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
