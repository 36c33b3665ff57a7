#!/usr/bin/env bash
# One-off measurement of the embedded HTTP server on 127.0.0.1:
#  1. the loopback benchmark (static page, echo page; 1 and 8 clients);
#  2. the same client against `python3 -m http.server` serving the same
#     bytes, as a floor;
#  3. the idle example server's CPU time over 60 s and its resident memory.
# Every loop is bounded; only processes started here are stopped, by PID.
#   bench/http_measure.sh [BUILD_DIR]   (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bench=$build/bench/http_server_bench
example=$build/tools/zorbel-http-example
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

echo "== embedded server"
"$bench" --benchmark_filter='BM_(Static|Echo)' --benchmark_counters_tabular=true

echo "== python3 -m http.server, same bytes"
# The page's bytes, taken from a running example server.
"$example" 0 "" 30 >"$work/example.out" &
pids+=($!)
for _ in $(seq 1 50); do grep -q 'serving on port' "$work/example.out" && break; sleep 0.1; done
port=$(awk '/serving on port/ {print $4}' "$work/example.out")
python3 - "$port" "$work/hello.html" <<'PY'
import socket, sys
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
s.sendall(b"GET /hello.html HTTP/1.0\r\n\r\n")
data = b""
while True:
    chunk = s.recv(65536)
    if not chunk:
        break
    data += chunk
open(sys.argv[2], "wb").write(data.split(b"\r\n\r\n", 1)[1])
PY
pyport=$((20000 + RANDOM % 20000))
python3 -m http.server "$pyport" --bind 127.0.0.1 --directory "$work" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do
  python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', $pyport))" 2>/dev/null && break
  sleep 0.1
done
ZORBEL_BENCH_EXTERNAL_PORT=$pyport "$bench" --benchmark_filter='BM_ExternalStatic' \
  --benchmark_counters_tabular=true

echo "== idle example server: CPU over 60 s, RSS"
"$example" 0 "" 75 >"$work/idle.out" &
idle=$!
pids+=($idle)
sleep 2
ticks=$(getconf CLK_TCK)
before=$(awk '{print $14 + $15}' "/proc/$idle/stat")
sleep 60
after=$(awk '{print $14 + $15}' "/proc/$idle/stat")
echo "idle CPU over 60 s: $(( (after - before) * 1000 / ticks )) ms"
grep -E 'VmRSS|VmHWM' "/proc/$idle/status"
