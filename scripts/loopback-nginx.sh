#!/usr/bin/env bash
# Debian's nginx on loopback, configured and started in one place for tests/http/nginx_test.sh,
# tests/download/nginx_test.cpp, bench/download_bench.sh, bench/job_bench.sh and
# scripts/demo-server.
#
# Run as a program: loopback-nginx.sh DIR [HTTP [SERVER]] writes DIR/nginx.conf for a free
#   port, that port to DIR/port, and becomes nginx in the foreground.
# Sourced, it offers:
# nginx_config DIR PORT [HTTP [SERVER]]: prints a configuration that serves DIR/www on
#   127.0.0.1:PORT with its pid, logs and temporary files under DIR; HTTP and SERVER are more
#   directives for the http and the server block.
# nginx_free_port: prints a loopback port nothing listens on.
# port_taken PORT: true when something accepts connections on 127.0.0.1:PORT.
# nginx_start DIR [HTTP [SERVER]]: runs the program in the background and waits until nginx
#   answers (5 s at most); sets nginx_port and nginx_pid.
# nginx_stop: stops what nginx_start started.

nginx_config() {
  local dir=$1 port=$2 http=${3:-} server=${4:-}
  # A master running as root hands its workers to "nobody", who may not read the build folder.
  [ "$(id -u)" = 0 ] && echo "user root;"
  cat <<CONF
daemon off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 64; }
http {
  default_type application/octet-stream;
  client_body_temp_path $dir/tmp/body;
  proxy_temp_path $dir/tmp/proxy;
  fastcgi_temp_path $dir/tmp/fastcgi;
  uwsgi_temp_path $dir/tmp/uwsgi;
  scgi_temp_path $dir/tmp/scgi;
$http
  server {
    listen 127.0.0.1:$port;
    root $dir/www;
$server
  }
}
CONF
}

nginx_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

port_taken() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

nginx_start() {
  local dir=$1
  mkdir -p "$dir"
  rm -f "$dir/port"
  bash "${BASH_SOURCE[0]}" "$@" &
  nginx_pid=$!
  for _ in $(seq 50); do
    nginx_port=$(cat "$dir/port" 2>/dev/null || true)
    [ -n "$nginx_port" ] && port_taken "$nginx_port" && return 0
    sleep 0.1
  done
  echo "nginx did not come up; see $dir/error.log" >&2
  return 1
}

nginx_stop() {
  [ -n "${nginx_pid:-}" ] || return 0
  kill "$nginx_pid" 2>/dev/null || true
  wait "$nginx_pid" 2>/dev/null || true
  nginx_pid=
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -eu
  mkdir -p "$1/www" "$1/tmp"
  port=$(nginx_free_port)
  nginx_config "$1" "$port" "${2:-}" "${3:-}" >"$1/nginx.conf"
  echo "$port" >"$1/port"
  exec nginx -c "$1/nginx.conf" -e "$1/error.log"
fi
