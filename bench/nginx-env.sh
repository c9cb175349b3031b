# Shared by the benchmarks: nginx on a free loopback port, serving WORK/www (on tmpfs). Source
# it; it defines functions only.

# bench_nginx_start WORK [LOCATIONS]: starts nginx with LOCATIONS inside its one server block and
# waits until it listens; sets port and nginx_pid.
bench_nginx_start() {
  local work=$1 locations=${2:-}
  mkdir -p "$work/tmp"
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  cat >"$work/nginx.conf" <<CONF
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
  server {
    listen 127.0.0.1:$port;
    root $work/www;
$locations
  }
}
CONF
  nginx -c "$work/nginx.conf" -e "$work/error.log" &
  nginx_pid=$!
  for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
  done
}

bench_nginx_stop() {
  if [ -n "${nginx_pid:-}" ] && kill "$nginx_pid" 2>/dev/null; then
    wait "$nginx_pid" 2>/dev/null || true
  fi
  nginx_pid=
}
