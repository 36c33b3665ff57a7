# Shared by scripts/run.sh and bench/bridge_idle.sh: starts zorbel-emulator
# on a new pseudo-terminal and the real `zorbel test` against it, in a
# scratch directory with its own proxyconfig.xml, on a free local port.
# Source it, then:
#   bridge_start BUILD_DIR SCRATCH_DIR FIRST_PORT [EXTRA_CONFIG_XML]
# sets emulator, bridge (PIDs), pty and port; it exits the script on
# failure. bridge_stop ends both (Ctrl-C for the bridge, so it stops as a
# user would stop it).

bridge_start() {
  local build=$1 scratch=$2 first=$3 extra=${4:-}
  "$build/tools/zorbel-emulator" >"$scratch/emulator.out" 2>&1 &
  emulator=$!
  pty=""
  for _ in $(seq 1 50); do
    pty=$(head -n 1 "$scratch/emulator.out" 2>/dev/null || true)
    [ -n "$pty" ] && break
    sleep 0.1
  done
  [ -n "$pty" ] || { echo "the emulator did not start" >&2; cat "$scratch/emulator.out" >&2; exit 1; }

  # A free local port: the first one nobody answers on.
  port=""
  for p in $(seq "$first" $((first + 100))); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then port=$p; break; fi
  done
  [ -n "$port" ] || { echo "no free port in $first-$((first + 100))" >&2; exit 1; }

  # The program reads proxyconfig.xml from its own directory.
  cp "$build/zorbel" "$scratch/zorbel"
  cat >"$scratch/proxyconfig.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<config>
  <SerialPort>$pty</SerialPort>
  <BaudRate>9600</BaudRate>
  <HttpPort>$port</HttpPort>
  <DebugLevel>1</DebugLevel>
  $extra
</config>
XML
  (cd "$scratch" && exec ./zorbel test) >"$scratch/zorbel.out" 2>&1 &
  bridge=$!
  for _ in $(seq 1 100); do
    curl -s -o /dev/null "http://127.0.0.1:$port/" && return 0
    kill -0 "$bridge" 2>/dev/null || { cat "$scratch/zorbel.out" >&2; exit 1; }
    sleep 0.1
  done
  echo "the bridge did not answer on port $port" >&2
  exit 1
}

bridge_stop() {
  if [ -n "${bridge:-}" ]; then kill -INT "$bridge" 2>/dev/null && wait "$bridge" 2>/dev/null || true; fi
  if [ -n "${emulator:-}" ]; then kill "$emulator" 2>/dev/null || true; fi
  bridge=""
  emulator=""
}
