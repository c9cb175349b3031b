#!/usr/bin/env python3
"""resume_bench.py HTTPGET [--mib M] [--cut-mib C]: the same download over a link that resets
every connection after C MiB of body and over one that does not. The server is the end-to-end
tier's static file server with ranges; the client is httpget with the installer download's
settings, so every cut costs one wait before the range request. Prints
  result resume_time CUT_S UNCUT_S RATIO
  result resume_wire CUT_BYTES UNCUT_BYTES RATIO
where bytes on the wire are every byte both ways: request heads, response heads and bodies."""

import argparse
import os
import socket
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
import scripted_server  # noqa: E402


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run(httpget, body, cut_every, out):
    behaviour = scripted_server.CutEvery(body, cut_every)
    port = free_port()
    with scripted_server.ScriptedServer(port, behaviour, max_connections=1000,
                                        lifetime=600) as server:
        start = time.monotonic()
        subprocess.run([httpget, f"http://127.0.0.1:{port}/body.bin", out], check=True)
        seconds = time.monotonic() - start
        requests = server.request_heads()
    if Path(out).read_bytes() != body:
        sys.exit("resume_bench: the saved body differs from the served one")
    return seconds, sum(len(h) for h in requests) + behaviour.sent_bytes, len(requests)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("httpget")
    parser.add_argument("--mib", type=int, default=64)
    parser.add_argument("--cut-mib", type=int, default=8)
    args = parser.parse_args()
    body = os.urandom(args.mib << 20)
    with tempfile.TemporaryDirectory(dir="/dev/shm") as work:
        out = os.path.join(work, "out.bin")
        cut_s, cut_wire, cut_requests = run(args.httpget, body, args.cut_mib << 20, out)
        whole_s, whole_wire, _ = run(args.httpget, body, len(body), out)
    print(f"resume: {args.mib} MiB cut every {args.cut_mib} MiB: {cut_s:.2f} s, {cut_wire} bytes "
          f"in {cut_requests} requests; uncut: {whole_s:.2f} s, {whole_wire} bytes")
    print(f"result resume_time {cut_s:.2f} {whole_s:.2f} {cut_s / whole_s:.2f}")
    print(f"result resume_wire {cut_wire} {whole_wire} {cut_wire / whole_wire:.4f}")


if __name__ == "__main__":
    main()
