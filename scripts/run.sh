#!/usr/bin/env bash
# Builds Zorbel's tools and runs them against the built-in controller
# emulator: starts zorbel-emulator on a new pseudo-terminal, sends a few
# fiscal commands through zorbel-cli send-raw, prints the answers, and stops
# the emulator. Installs the Debian packages it needs when run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target zorbel-emulator zorbel-cli

out=$(mktemp)
build/tools/zorbel-emulator >"$out" 2>&1 &
emulator=$!
trap 'kill "$emulator" 2>/dev/null || true; rm -f "$out"' EXIT

port=""
for _ in $(seq 1 50); do
  port=$(head -n 1 "$out" 2>/dev/null || true)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the emulator did not start" >&2; cat "$out" >&2; exit 1; }
echo "emulator on $port"

send() {
  echo "\$ zorbel-cli send-raw --port $port $*"
  build/tools/zorbel-cli send-raw --port "$port" "$@"
  echo
}
send --sequence 32 2A        # ConsultarEstado
send --sequence 33 40 83     # AbrirDocumento (Tique)
send --sequence 34 42 "Cafe" 1 2.50 7 21.00 M 0 0 0 T   # ImprimirItem
send --sequence 35 45        # CerrarDocumento
