#!/usr/bin/env python3
"""Latency of a status POST to a running bridge, quiet and beside idle clients.

Sends the ConsultarEstado POST (a fresh connection each, HTTP/1.0) to a bridge
that is already running, first on a quiet server, then while 50 connections
are open and silent and 10 more trickle a request head one byte a second,
and prints the median and 90th percentile of each and their difference.
Works the same against the Linux program and the Windows one under Wine,
which is what it is for: the same figure on both platforms.

  python3 bench/front_door_latency.py PORT [--requests N]
"""

import argparse
import socket
import statistics
import threading
import time

POST_BODY = b'{"ConsultarEstado":{"CodigoComprobante":"FacturaA"}}'


def post(port):
    request = (
        b"POST /fiscal.json HTTP/1.0\r\nHost: 127.0.0.1\r\n"
        b"Content-Type: application/json\r\nContent-Length: "
        + str(len(POST_BODY)).encode()
        + b"\r\n\r\n"
        + POST_BODY
    )
    start = time.perf_counter()
    with socket.create_connection(("127.0.0.1", port), timeout=30) as s:
        s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        s.sendall(request)
        answer = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            answer += chunk
    took = (time.perf_counter() - start) * 1000
    if b" 200 " not in answer.split(b"\r\n", 1)[0]:
        raise RuntimeError("status POST failed: %r" % answer[:200])
    return took


def measure(port, count):
    times = sorted(post(port) for _ in range(count))
    return statistics.median(times), times[int(len(times) * 0.9) - 1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("port", type=int)
    parser.add_argument("--requests", type=int, default=200)
    parser.add_argument("--idle", type=int, default=50)
    parser.add_argument("--trickling", type=int, default=10)
    args = parser.parse_args()

    post(args.port)  # the first one opens the line and warms up
    quiet = measure(args.port, args.requests)

    idle = [socket.create_connection(("127.0.0.1", args.port)) for _ in range(args.idle)]
    slow = [socket.create_connection(("127.0.0.1", args.port)) for _ in range(args.trickling)]
    for s in slow:
        s.sendall(b"GET / HTTP/1.0\r\nX-Slow: ")
    done = threading.Event()

    def trickle():
        while not done.wait(1.0):
            for s in slow:
                try:
                    s.sendall(b"a")
                except OSError:
                    pass

    worker = threading.Thread(target=trickle)
    worker.start()
    try:
        busy = measure(args.port, args.requests)
    finally:
        done.set()
        worker.join()
        for s in idle + slow:
            s.close()

    print("quiet:      median %.2f ms, p90 %.2f ms" % quiet)
    print("%d idle + %d trickling: median %.2f ms, p90 %.2f ms" % ((args.idle, args.trickling) + busy))
    print("difference of the medians: %+.2f ms" % (busy[0] - quiet[0]))


if __name__ == "__main__":
    main()
