#!/usr/bin/env bash
# How long a command takes through the Windows build under Wine, against
# the Linux build: starts zorbel-emulator (under strace, for the times of
# its reads and writes) on a new pseudo-terminal, runs `zorbel test` from
# PROGRAM_DIR against it (zorbel.exe under Wine through a COM port mapped
# onto the pseudo-terminal, or the Linux zorbel), sends REQUESTS
# ConsultarEstado POSTs one after the other with curl and prints
#  - the median, 10th and 90th percentile of the POSTs' total time;
#  - the exchange as the controller sees it: from the command's last byte
#    read to the bridge's ACK of the answer read (median), and from the
#    answer written to that ACK (median).
# Not part of ctest. Run by hand after building zorbel.exe (build-win) and
# zorbel-emulator (build):
#   bench/windows_serial_latency.sh PROGRAM_DIR [REQUESTS] [LINUX_BUILD]
# PROGRAM_DIR holds zorbel.exe (run under Wine, in build-win/prefix or
# $WINEPREFIX) or zorbel (run directly). Defaults: 50, build.
# Only the processes started here are stopped, by PID.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
program_dir=$1
requests=${2:-50}
linux_build=${3:-build}
case "$program_dir" in /*) ;; *) program_dir="$root/$program_dir" ;; esac

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
wineserver=$(dirname "$wine")/wineserver
export WINEPREFIX=${WINEPREFIX:-$root/build-win/prefix}
export WINEDEBUG=-all

scratch=$(mktemp -d)
emulator=""
bridge=""
cleanup() {
  if [ -n "$bridge" ]; then kill -INT "$bridge" 2>/dev/null && wait "$bridge" 2>/dev/null || true; fi
  if [ -n "$emulator" ]; then kill "$emulator" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

strace -f -ttt -e trace=read,write -e signal=none -s 0 -o "$scratch/strace.out" \
  "$linux_build/tools/zorbel-emulator" >"$scratch/emulator.out" 2>&1 &
emulator=$!
pty=""
for _ in $(seq 1 50); do
  pty=$(head -n 1 "$scratch/emulator.out" 2>/dev/null || true)
  [ -n "$pty" ] && break
  sleep 0.1
done
[ -n "$pty" ] || { echo "the emulator did not start" >&2; exit 1; }

port=""
for p in $(seq 18300 18400); do
  if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then port=$p; break; fi
done
[ -n "$port" ] || { echo "no free port" >&2; exit 1; }

if [ -x "$program_dir/zorbel.exe" ] || [ -f "$program_dir/zorbel.exe" ]; then
  cp "$program_dir/zorbel.exe" "$scratch/"
  ln -sfn "$pty" "$WINEPREFIX/dosdevices/com11"
  serial=COM11
  run=("$wine" ./zorbel.exe test)
else
  cp "$program_dir/zorbel" "$scratch/"
  serial=$pty
  run=(./zorbel test)
fi
printf '<config><SerialPort>%s</SerialPort><BaudRate>9600</BaudRate><HttpPort>%s</HttpPort></config>\n' \
  "$serial" "$port" >"$scratch/proxyconfig.xml"
(cd "$scratch" && exec "${run[@]}") >"$scratch/zorbel.out" 2>&1 &
bridge=$!

post() {
  curl -s -m 20 -o /dev/null -w '%{time_total}\n' -X POST -H 'Content-Type: application/json' \
    --data '{"ConsultarEstado":{}}' "http://127.0.0.1:$port/fiscal.json"
}
for _ in $(seq 1 150); do
  curl -s -m 20 -X POST --data '{"ConsultarEstado":{}}' "http://127.0.0.1:$port/fiscal.json" |
    grep -q ConsultarEstado && break
  sleep 0.2
done
post >/dev/null
: >"$scratch/times.txt"
mark=$(wc -l <"$scratch/strace.out")
for _ in $(seq 1 "$requests"); do post >>"$scratch/times.txt"; done
sleep 0.3

python3 - "$scratch/times.txt" "$scratch/strace.out" "$mark" <<'PY'
import statistics, sys, re
times = sorted(float(t) * 1000 for t in open(sys.argv[1]) if t.strip())
def pct(v, p):
    return v[min(len(v) - 1, int(p * len(v)))]
print(f"POST ConsultarEstado, {len(times)} requests: median {statistics.median(times):.1f} ms, "
      f"p10 {pct(times, 0.1):.1f} ms, p90 {pct(times, 0.9):.1f} ms")
# The emulator's reads and writes on the line: a read of 1 byte is the ACK
# (it reads the command byte by byte too, but a command ends with its
# checksum, after which the answer is written).
lines = open(sys.argv[2]).read().splitlines()[int(sys.argv[3]):]
events = []
for line in lines:
    m = re.match(r"\d+\s+([\d.]+)\s+(read|write)\(\d+, \S+, \d+\)\s+=\s+(\d+)", line)
    if m and int(m.group(3)) > 0:
        events.append((float(m.group(1)), m.group(2), int(m.group(3))))
exchanges, answer_to_ack = [], []
last_read = None
answer_at = None
for t, kind, n in events:
    if kind == "write" and n > 1:
        answer_at = t
        command_at = last_read
    elif kind == "read":
        if answer_at is not None and n == 1:
            answer_to_ack.append((t - answer_at) * 1000)
            if command_at is not None:
                exchanges.append((t - command_at) * 1000)
            answer_at = None
        last_read = t
if answer_to_ack:
    print(f"controller side: command read to ACK read median {statistics.median(exchanges):.2f} ms; "
          f"answer written to ACK read median {statistics.median(answer_to_ack):.2f} ms "
          f"({len(answer_to_ack)} exchanges)")
PY
