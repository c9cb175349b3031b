"""A scripted HTTP server on 127.0.0.1 for the end-to-end runs.

Each connection runs a behaviour (a function of the connection and the request head) on its own
thread; every request head received is recorded byte for byte. The server is bounded: it accepts
at most `max_connections` connections and stops by itself after `lifetime` seconds.
"""

import socket
import struct
import threading
import time

HEAD_LIMIT = 65536


class Connection:
    def __init__(self, sock, server):
        self.sock = sock
        self.server = server

    def read_head(self, timeout=10.0):
        data = b""
        self.sock.settimeout(0.2)
        deadline = time.monotonic() + timeout
        while b"\r\n\r\n" not in data and len(data) < HEAD_LIMIT:
            if self.server.stopped.is_set() or time.monotonic() > deadline:
                return b""
            try:
                piece = self.sock.recv(4096)
            except socket.timeout:
                continue
            except OSError:
                return b""
            if not piece:
                return b""
            data += piece
        head = data[: data.find(b"\r\n\r\n") + 4]
        self.server.record(head)
        return head

    def send(self, data):
        """Sends everything; False once the peer has gone."""
        try:
            self.sock.sendall(data)
            return True
        except OSError:
            return False

    def close(self):
        if self.sock.fileno() < 0:
            return
        try:
            self.sock.shutdown(socket.SHUT_WR)
        except OSError:
            pass
        self.sock.close()


def _response(status, reason, body=b"", extra=()):
    lines = [f"HTTP/1.1 {status} {reason}", f"Content-Length: {len(body)}", *extra,
             "Connection: close", "", ""]
    return "\r\n".join(lines).encode() + body


def serve_bytes(body):
    """200 with Content-Length and the whole body."""
    def behaviour(conn, head):
        conn.send(_response(200, "OK", body, ("Content-Type: application/octet-stream",)))
    return behaviour


def status(code, reason):
    def behaviour(conn, head):
        conn.send(_response(code, reason, f"{code} {reason}\n".encode(),
                            ("Content-Type: text/plain",)))
    return behaviour


def redirect_to_https(port):
    def behaviour(conn, head):
        path = head.split(b" ", 2)[1].decode("latin-1")
        conn.send(_response(302, "Found", b"",
                            (f"Location: https://127.0.0.1:{port}{path}",)))
    return behaviour


def short_body(body):
    """Announces the whole body, sends half of it and closes in an orderly way."""
    def behaviour(conn, head):
        head_bytes = (f"HTTP/1.1 200 OK\r\nContent-Length: {len(body)}\r\n"
                      "Content-Type: application/octet-stream\r\n\r\n").encode()
        conn.send(head_bytes + body[: len(body) // 2])
    return behaviour


def announce_only(length):
    """Announces a body of `length` bytes and closes without sending any of it."""
    def behaviour(conn, head):
        conn.send((f"HTTP/1.1 200 OK\r\nContent-Length: {length}\r\n"
                   "Content-Type: application/octet-stream\r\n\r\n").encode())
    return behaviour


def redirect_loop():
    """Redirects every request to its own path, so the client gives up after its limit."""
    def behaviour(conn, head):
        path = head.split(b" ", 2)[1].decode("latin-1")
        conn.send(_response(302, "Found", b"", (f"Location: {path}",)))
    return behaviour


def reset():
    """Resets the connection once the request head is in."""
    def behaviour(conn, head):
        conn.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        conn.sock.close()
    return behaviour


def portal_page():
    """A captive portal's login page with 200, whatever was asked for."""
    page = (b"<!DOCTYPE html>\n<html><head><title>Hotel WiFi</title></head>"
            b"<body><form method=post action=/login>Room number <input name=room>"
            b"<button>Log in</button></form></body></html>\n")
    def behaviour(conn, head):
        conn.send(_response(200, "OK", page, ("Content-Type: text/html; charset=utf-8",)))
    return behaviour


def empty_body():
    def behaviour(conn, head):
        conn.send(_response(200, "OK", b""))
    return behaviour


class SlowBody:
    """Announces the whole body, sends a first part and then a trickle until `release()`
    (then the rest at once) or until the peer goes away."""

    def __init__(self, body, first=65536, piece=1024, delay=0.2):
        self.body, self.first, self.piece, self.delay = body, first, piece, delay
        self.released = threading.Event()
        self.peer_gone = threading.Event()
        self.sent = 0

    def release(self):
        self.released.set()

    def __call__(self, conn, head):
        head_bytes = (f"HTTP/1.1 200 OK\r\nContent-Length: {len(self.body)}\r\n"
                      "Content-Type: application/octet-stream\r\n\r\n").encode()
        if not conn.send(head_bytes + self.body[: self.first]):
            self.peer_gone.set()
            return
        self.sent = self.first
        while self.sent < len(self.body) and not conn.server.stopped.is_set():
            if self.released.is_set():
                ok = conn.send(self.body[self.sent:])
                self.sent = len(self.body) if ok else self.sent
                if not ok:
                    self.peer_gone.set()
                return
            if not conn.send(self.body[self.sent: self.sent + self.piece]):
                self.peer_gone.set()
                return
            self.sent += self.piece
            self.released.wait(self.delay)
        # Leave the socket open briefly so a close by the peer can be noticed.
        self._watch_peer(conn)

    def _watch_peer(self, conn):
        conn.sock.settimeout(0.2)
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and not conn.server.stopped.is_set():
            try:
                if conn.sock.recv(1024) == b"":
                    self.peer_gone.set()
                    return
            except socket.timeout:
                continue
            except OSError:
                self.peer_gone.set()
                return


class CutEvery:
    """Serves the body as a static file server does (ETag, ranges by If-Range) and resets each
    connection after `cut_every` body bytes. `body_bytes` counts the body bytes sent,
    `sent_bytes` everything sent, heads included."""

    ETAG = '"e2e-1"'

    def __init__(self, body, cut_every):
        self.body, self.cut_every = body, cut_every
        self.body_bytes = 0
        self.sent_bytes = 0
        self._lock = threading.Lock()

    def __call__(self, conn, head):
        start = 0
        lines = head.decode("latin-1").split("\r\n")
        fields = {k.lower(): v for k, _, v in (line.partition(": ") for line in lines[1:] if line)}
        asked = fields.get("range", "")
        if asked.startswith("bytes=") and asked.endswith("-") and \
                fields.get("if-range") == self.ETAG:
            start = int(asked[6:-1])
        if start:
            reply = (f"HTTP/1.1 206 Partial Content\r\nContent-Length: {len(self.body) - start}\r\n"
                     f"Content-Range: bytes {start}-{len(self.body) - 1}/{len(self.body)}\r\n")
        else:
            reply = f"HTTP/1.1 200 OK\r\nContent-Length: {len(self.body)}\r\n"
        reply += f"ETag: {self.ETAG}\r\nContent-Type: application/octet-stream\r\n\r\n"
        piece = self.body[start: start + self.cut_every]
        data = reply.encode() + piece
        with self._lock:
            self.body_bytes += len(piece)
            self.sent_bytes += len(data)
        if not conn.send(data):
            return
        if start + len(piece) < len(self.body):
            time.sleep(0.05)
            conn.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            conn.sock.close()
        else:
            conn.sock.settimeout(5)
            try:
                conn.sock.recv(1)
            except OSError:
                pass


class ScriptedServer:
    def __init__(self, port, behaviour, max_connections=16, lifetime=120.0):
        self.port = port
        self.behaviour = behaviour
        self.max_connections = max_connections
        self.lifetime = lifetime
        self.requests = []
        self.connections = 0
        self.stopped = threading.Event()
        self._lock = threading.Lock()
        self._threads = []
        self._listener = None

    def record(self, head):
        with self._lock:
            self.requests.append(head)

    def request_heads(self):
        with self._lock:
            return list(self.requests)

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", self.port))
        listener.listen(8)
        listener.settimeout(0.2)
        self._listener = listener
        self._started = time.monotonic()
        accept = threading.Thread(target=self._accept_loop, daemon=True)
        accept.start()
        self._threads.append(accept)

    def _accept_loop(self):
        while not self.stopped.is_set():
            if time.monotonic() - self._started > self.lifetime:
                self.stopped.set()
                break
            if self.connections >= self.max_connections:
                time.sleep(0.1)
                continue
            try:
                sock, _ = self._listener.accept()
            except socket.timeout:
                continue
            except OSError:
                break
            self.connections += 1
            worker = threading.Thread(target=self._serve, args=(sock,), daemon=True)
            worker.start()
            self._threads.append(worker)
        self._listener.close()

    def _serve(self, sock):
        conn = Connection(sock, self)
        try:
            head = conn.read_head()
            if head:
                self.behaviour(conn, head)
        finally:
            conn.close()

    def stop(self):
        self.stopped.set()
        for t in self._threads:
            t.join(timeout=10)
