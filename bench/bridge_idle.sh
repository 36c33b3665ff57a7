#!/usr/bin/env bash
# What the bridge costs while nobody uses it: starts zorbel-emulator on a
# pseudo-terminal and the real `zorbel test` against it (a copy of the
# program in a scratch directory with its own proxyconfig.xml, on a free
# local port), sends one ConsultarEstado so that every part has run once,
# times REQUESTS pairs of a GET of the index page and a ConsultarEstado POST
# (the real program at debug level 1, its log written; python3 as client),
# then leaves it idle and reads from /proc its CPU time (utime + stime) over
# the idle time (in clock ticks, and to the nanosecond from the threads'
# schedstat where the kernel keeps it) and its resident memory (VmRSS, and
# the peak VmHWM).
# Not part of ctest. Run by hand after building zorbel and zorbel-emulator:
#   bash bench/bridge_idle.sh [BUILD_DIR] [SECONDS] [REQUESTS]
# (defaults: build, 60, 1000; REQUESTS 0 skips the timing).
# Only the processes started here are stopped, by PID.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
seconds=${2:-60}
requests=${3:-1000}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

scratch=$(mktemp -d)
source scripts/bridge_lib.sh
cleanup() {
  bridge_stop
  rm -rf "$scratch"
}
trap cleanup EXIT

bridge_start "$build" "$scratch" 18300
answer=$(curl -s -H 'Content-Type: application/json' \
  --data '{"ConsultarEstado":{"CodigoComprobante":"83"}}' "http://127.0.0.1:$port/fiscal.json")
case "$answer" in
  *ConsultarEstado*Estado*) ;;
  *) echo "unexpected answer: $answer" >&2; exit 1 ;;
esac

if [ "$requests" -gt 0 ]; then
  python3 - "$port" "$requests" <<'PY'
import socket, sys, time
port, n = int(sys.argv[1]), int(sys.argv[2])
body = b'{"ConsultarEstado":{"CodigoComprobante":"83"}}'
post = (b"POST /fiscal.json HTTP/1.0\r\nContent-Type: application/json\r\n"
        b"Content-Length: %d\r\n\r\n%s" % (len(body), body))
get = b"GET / HTTP/1.0\r\n\r\n"
def timed(request, expect):
    t = time.perf_counter()
    s = socket.create_connection(("127.0.0.1", port), timeout=5)
    s.sendall(request)
    data = b""
    while True:
        chunk = s.recv(65536)
        if not chunk:
            break
        data += chunk
    s.close()
    if not data.startswith(b"HTTP/1.0 200") or expect not in data:
        sys.exit("unexpected answer: %r" % data[:200])
    return (time.perf_counter() - t) * 1e6
g, p = [], []
for _ in range(n):
    g.append(timed(get, b"Registro"))
    p.append(timed(post, b'"Estado"'))
def q(v, f):
    v = sorted(v)
    return v[min(len(v) - 1, int(f * len(v)))]
print("%d pairs: GET / median %.0f us p99 %.0f us; POST median %.0f us p99 %.0f us;"
      " added median %.0f us" % (n, q(g, .5), q(g, .99), q(p, .5), q(p, .99), q(p, .5) - q(g, .5)))
PY
fi

sleep 2
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$bridge/stat"; }
# Nanoseconds on the processor, summed over the threads.
cpu_ns() { cat /proc/"$bridge"/task/*/schedstat 2>/dev/null | awk '{n += $1} END {print n + 0}'; }
before=$(cpu)
before_ns=$(cpu_ns)
sleep "$seconds"
after=$(cpu)
after_ns=$(cpu_ns)
echo "zorbel test idle for $seconds s: CPU $(((after - before) * 1000 / ticks)) ms" \
  "($((after - before)) ticks of 1/$ticks s)"
echo "  on the processor (schedstat): $(((after_ns - before_ns) / 1000)) us"
grep -E 'VmRSS|VmHWM' "/proc/$bridge/status"
echo "threads: $(ls "/proc/$bridge/task" | wc -l)"
