#!/usr/bin/env python3
"""Exactly-once soak: the real bridge against the emulator with random faults.

Starts zorbel-emulator with --fault-rate/--fault-seed on a pseudo-terminal
and `zorbel test` against it in a scratch directory, then runs three clients
at once:
  - till S: numbered lines with "Secuencia", each sent again until it gets an
    answer;
  - till K: lines with an Idempotency-Key, each sent again until answered;
  - a status poller sending ConsultarEstado every 0.2 s.
Every --kill-every lines (both tills together) the bridge is killed with
SIGKILL and started again. At the end the emulator's summary (executions
per packet) must show every line executed exactly once: none twice, none
lost, none printed while its till's last answer was an error.

  python3 scripts/soak.py --build build --items 10000 --kill-every 1000
Exit status 0 when the run is clean; the figures go to standard output.
"""

import argparse
import http.client
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Bridge:
    def __init__(self, build, scratch, pty, port, journal_size):
        self.scratch = scratch
        self.port = port
        self.proc = None
        shutil.copy(os.path.join(build, "zorbel"), os.path.join(scratch, "zorbel"))
        with open(os.path.join(scratch, "proxyconfig.xml"), "w") as f:
            f.write(
                '<?xml version="1.0" encoding="UTF-8"?>\n<config>\n'
                f"  <SerialPort>{pty}</SerialPort>\n  <BaudRate>9600</BaudRate>\n"
                f"  <HttpPort>{port}</HttpPort>\n  <DebugLevel>0</DebugLevel>\n"
                f"  <JournalSize>{journal_size}</JournalSize>\n</config>\n"
            )

    def start(self):
        out = open(os.path.join(self.scratch, "zorbel.out"), "ab")
        self.proc = subprocess.Popen(["./zorbel", "test"], cwd=self.scratch, stdout=out,
                                     stderr=subprocess.STDOUT)
        deadline = time.time() + 20
        while time.time() < deadline:
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=0.5):
                    return
            except OSError:
                if self.proc.poll() is not None:
                    raise RuntimeError("the bridge ended at start")
                time.sleep(0.05)
        raise RuntimeError("the bridge did not listen")

    def kill(self):
        if self.proc is not None:
            self.proc.send_signal(signal.SIGKILL)
            self.proc.wait()

    def stop(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGINT)
            try:
                self.proc.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.kill()


def post(port, body, key=None, timeout=30):
    """(status, body, replayed) or None when no answer came."""
    try:
        c = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout)
        headers = {"Content-Type": "application/json"}
        if key is not None:
            headers["Idempotency-Key"] = key
        c.request("POST", "/fiscal.json", body.encode(), headers)
        r = c.getresponse()
        data = r.read().decode("utf-8", "replace")
        replayed = r.getheader("Zorbel-Replayed") == "1"
        c.close()
        return r.status, data, replayed
    except (OSError, http.client.HTTPException):
        return None


class Run:
    def __init__(self, args, port):
        self.args = args
        self.port = port
        self.lock = threading.Lock()
        self.done = 0
        self.stop = False
        self.errors = 0
        self.replays = 0
        self.polls = 0
        self.kill_due = threading.Event()

    def line_done(self):
        with self.lock:
            self.done += 1
            if self.done % self.args.kill_every == 0:
                self.kill_due.set()

    def till(self, name, count, use_key):
        for n in range(count):
            text = f"{name}-{n}"
            if use_key:
                body = '{"ImprimirTextoFiscal":{"Texto":"%s"}}' % text
                key = f"{name}-line-{n}"
            else:
                body = '{"ImprimirTextoFiscal":{"Texto":"%s","Secuencia":"%d"}}' % (text, n % 90 + 1)
                key = None
            while not self.stop:
                a = post(self.port, body, key)
                if a is not None and a[0] == 200 and '"Error"' not in a[1]:
                    if a[2]:
                        with self.lock:
                            self.replays += 1
                    break
                with self.lock:
                    self.errors += 1
                time.sleep(0.05)
            self.line_done()

    def poller(self):
        while not self.stop:
            post(self.port, '{"ConsultarEstado":{}}', timeout=30)
            with self.lock:
                self.polls += 1
            time.sleep(0.2)


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--build", default="build")
    p.add_argument("--items", type=int, default=10000, help="lines, both tills together")
    p.add_argument("--kill-every", type=int, default=1000)
    p.add_argument("--fault-rate", default="0.05")
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--journal-size", type=int, default=4 << 20)
    p.add_argument("--keep", action="store_true", help="keep the scratch directory")
    args = p.parse_args()
    build = os.path.abspath(args.build)
    scratch = tempfile.mkdtemp(prefix="zorbel-soak-")
    emulator = subprocess.Popen(
        [os.path.join(build, "tools", "zorbel-emulator"), "--fault-rate", args.fault_rate,
         "--fault-seed", str(args.seed)],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    pty = emulator.stdout.readline().strip()
    port = free_port()
    bridge = Bridge(build, scratch, pty, port, args.journal_size)
    run = Run(args, port)
    started = time.time()
    kills = 0
    bridge.start()
    half = args.items // 2
    tills = [threading.Thread(target=run.till, args=("S", half, False)),
             threading.Thread(target=run.till, args=("K", args.items - half, True))]
    poller = threading.Thread(target=run.poller, daemon=True)
    for t in tills:
        t.start()
    poller.start()
    while any(t.is_alive() for t in tills):
        if run.kill_due.wait(0.2):
            run.kill_due.clear()
            bridge.kill()
            kills += 1
            bridge.start()
    run.stop = True
    bridge.stop()
    emulator.send_signal(signal.SIGTERM)
    summary, _ = emulator.communicate(timeout=30)
    elapsed = time.time() - started

    runs = {}
    faults = "?"
    for line in summary.splitlines():
        if line.startswith("packets "):
            faults = line
        parts = line.split("\t")
        if len(parts) == 3 and parts[0] == "exec":
            found = re.search(r"\[FS\]([SK]-\d+)(\[FS\]|$)", parts[2])
            if found:
                runs[found.group(1)] = runs.get(found.group(1), 0) + int(parts[1])
    wanted = [f"S-{n}" for n in range(half)] + [f"K-{n}" for n in range(args.items - half)]
    twice = [t for t in wanted if runs.get(t, 0) > 1]
    lost = [t for t in wanted if runs.get(t, 0) == 0]
    print(f"lines {args.items}  kills {kills}  seconds {elapsed:.0f}  client errors {run.errors}"
          f"  replayed {run.replays}  status polls {run.polls}")
    print(f"emulator: {faults}")
    print(f"printed twice {len(twice)}  lost {len(lost)}")
    if twice or lost:
        print("twice:", " ".join(twice[:20]), " lost:", " ".join(lost[:20]))
    if args.keep or twice or lost:
        print(f"scratch directory kept: {scratch}")
    else:
        shutil.rmtree(scratch, ignore_errors=True)
    return 0 if not twice and not lost else 1


if __name__ == "__main__":
    sys.exit(main())
