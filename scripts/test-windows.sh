#!/usr/bin/env bash
# Cross-builds Zorbel for 64-bit Windows with MinGW-w64 and runs the Windows
# test programs under Wine, in a Wine prefix of the build's own. Installs
# the Debian packages it needs when they are missing and it runs as root.
#   scripts/test-windows.sh [build-dir]      (default build-win/)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build-win}
bash scripts/install-deps.sh --windows

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo wineserver)

jobs=$(nproc 2>/dev/null || echo 2)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}"
cmake --build "$build_dir" -j "$jobs"

# A private, quiet prefix; made once (it takes a few seconds the first time).
export WINEPREFIX="$PWD/$build_dir/prefix"
export WINEDEBUG=-all
stop_wine() { "$wineserver" -k 2>/dev/null || true; }
trap stop_wine EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot -i >/dev/null 2>&1 || true
  # A new prefix's first start leaves two service managers running for a
  # while, each answering some of the requests (a service created through
  # one is unknown to the other): start again from a stopped server.
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w 2>/dev/null || true
fi
# Keep one server running for the whole suite rather than one per program.
"$wineserver" -p 2>/dev/null || true  # already running is fine
# One program first: a fresh server finishing its start-up while several
# programs start at once has been seen to leave one of them hanging.
"$wine" cmd /c exit 0 >/dev/null 2>&1 || true

# Services an interrupted earlier run left registered in this prefix (an
# automatic one would start with Wine and disturb the tests).
"$wine" reg query 'HKLM\System\CurrentControlSet\Services' 2>/dev/null | tr -d '\r' |
  sed -n 's/^.*\\Services\\\(ZorbelTest .*\)$/\1/p' | while IFS= read -r name; do
  "$wine" sc delete "$name" >/dev/null 2>&1 || true
done

# COM5 of the prefix is a pseudo-terminal whose far end echoes, for the
# serial port tests; COM7 and COM8 are two crossed lines, for the driver
# contract of the serial port.
python3 scripts/pty-echo.py "$WINEPREFIX/dosdevices/com5" >"$build_dir/pty-echo.out" &
echo_pid=$!
python3 scripts/pty-echo.py "$WINEPREFIX/dosdevices/com7" "$WINEPREFIX/dosdevices/com8" \
  >"$build_dir/pty-pair.out" &
echo_pid="$echo_pid $!"
trap 'kill $echo_pid 2>/dev/null || true; stop_wine' EXIT
for _ in $(seq 50); do
  [ -s "$build_dir/pty-echo.out" ] && [ -s "$build_dir/pty-pair.out" ] && break
  sleep 0.1
done
export ZORBEL_TEST_COM=COM5 ZORBEL_TEST_COM_PAIR=COM7,COM8
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"

# End to end: zorbel.exe under Wine serves HTTP and talks to the Linux
# controller emulator through COM6, mapped onto the emulator's
# pseudo-terminal; then the service is installed into Wine's service
# manager, run by it and removed.
linux_dir=${ZORBEL_LINUX_BUILD:-build}
cmake -S . -B "$linux_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$linux_dir" -j "$jobs" --target zorbel-emulator
# A folder with a blank in its name, as under C:\Program Files: the
# service's registered command line must keep the path whole.
run_dir="$build_dir/e2e tienda"
rm -rf "$build_dir/e2e"
rm -rf "$run_dir"
mkdir -p "$run_dir"
cp "$build_dir/zorbel.exe" "$run_dir/"
"$linux_dir/tools/zorbel-emulator" >"$run_dir/emulator.out" 2>&1 &
emulator_pid=$!
zorbel_pid=
slow_pid=
stop_all() {
  [ -n "$zorbel_pid" ] && kill "$zorbel_pid" 2>/dev/null
  stop_wine
  kill "$emulator_pid" $echo_pid $slow_pid 2>/dev/null || true
}
trap stop_all EXIT
for _ in $(seq 50); do [ -s "$run_dir/emulator.out" ] && break; sleep 0.1; done
ln -sfn "$(head -1 "$run_dir/emulator.out")" "$WINEPREFIX/dosdevices/com6"
port=18123
printf '<config><SerialPort>COM6</SerialPort><BaudRate>9600</BaudRate><HttpPort>%s</HttpPort>%s</config>\n' \
  "$port" '<ServiceName>Zorbel Prueba</ServiceName><AutomaticStart>n</AutomaticStart>' \
  >"$run_dir/proxyconfig.xml"
(cd "$run_dir" && exec "$wine" ./zorbel.exe test >console.out 2>&1) &
zorbel_pid=$!
post() {
  curl -s -m 20 -X POST -H 'Content-Type: application/json' --data "$1" \
    "http://127.0.0.1:$port/fiscal.json" | tr -d '\n\t ' || true
}
for _ in $(seq 100); do post '{"ConsultarEstado":{}}' | grep -q ConsultarEstado && break; sleep 0.2; done
expect() {  # expect <document> <text the answer must hold>
  local answer
  answer=$(post "$1")
  if ! grep -qF "$2" <<<"$answer"; then
    echo "end-to-end: $1 answered $answer" >&2
    exit 1
  fi
}
expect '{"AbrirDocumento":{"CodigoComprobante":"TiqueFacturaB"}}' '"NumeroComprobante":"1"'
expect '{"ImprimirItem":{"Descripcion":"Pan","Cantidad":"1","PrecioUnitario":"10.00","CondicionIVA":"Gravado","AlicuotaIVA":"21.00","ModoIngresoPrecio":"ModoPrecioTotal","UnidadReferencia":"1"}}' '"IndiceAuditoria":"1"'
expect '{"CerrarDocumento":{}}' '"CantidadDePaginas":"1"'
# The index page shows the log, read while the bridge writes it.
if ! curl -s -m 20 "http://127.0.0.1:$port/" | grep -q "Serial COM6 to HTTP $port"; then
  echo "end-to-end: the index page does not show the log" >&2
  exit 1
fi
# Ctrl-C in the console (Wine turns SIGINT into the console's interrupt):
# the bridge stops in order and ends with exit code 0.
kill -INT "$zorbel_pid"
code=0
wait "$zorbel_pid" || code=$?
zorbel_pid=
if [ "$code" -ne 0 ] || ! tail -1 "$run_dir"/zorbel.log*.log | grep -q "Service stopped"; then
  echo "end-to-end: Ctrl-C ended zorbel.exe with $code; log: $(tail -2 "$run_dir"/zorbel.log*.log)" >&2
  exit 1
fi
echo "end-to-end sale through zorbel.exe, stopped by Ctrl-C: passed"

# The service: installed on demand, run by the manager, stopped while the
# controller prints, removed. This controller takes 20 s over a printing
# command: the stop must end the exchange, the client get the aborted
# command's error document, and the log end with the stop.
"$linux_dir/tools/zorbel-emulator" --slow 20000 --verbose >"$run_dir/slow.out" 2>&1 &
slow_pid=$!
for _ in $(seq 50); do [ -s "$run_dir/slow.out" ] && break; sleep 0.1; done
ln -sfn "$(head -1 "$run_dir/slow.out")" "$WINEPREFIX/dosdevices/com6"
(cd "$run_dir" && "$wine" ./zorbel.exe install) | grep -q "Servicio instalado"
"$wine" sc qc "Zorbel Prueba" 2>/dev/null | grep -q DEMAND_START || {
  "$wine" reg query 'HKLM\System\CurrentControlSet\Services\Zorbel Prueba' /v Start |
    grep -q 0x3
}
"$wine" net start "Zorbel Prueba" >/dev/null
expect '{"ConsultarEstado":{"CodigoComprobante":"FacturaA"}}' '"CodigoComprobante":"FacturaA"'
received=$(grep -c Recibido "$run_dir/slow.out" || true)
post '{"ImprimirTextoFiscal":{"Texto":"Lento"}}' >"$run_dir/slow-answer.txt" &
client_pid=$!
for _ in $(seq 100); do
  [ "$(grep -c Recibido "$run_dir/slow.out" || true)" -gt "$received" ] && break
  sleep 0.1
done
"$wine" net stop "Zorbel Prueba" >/dev/null
wait "$client_pid" || true
if ! grep -q PROTOCOL_ABORTED "$run_dir/slow-answer.txt"; then
  echo "service: a stop during a print answered $(cat "$run_dir/slow-answer.txt")" >&2
  exit 1
fi
for _ in $(seq 50); do
  "$wine" sc query "Zorbel Prueba" | grep -q STOPPED && break
  sleep 0.2
done
"$wine" sc query "Zorbel Prueba" | grep -q STOPPED
if ! tail -1 "$run_dir"/zorbel.log*.log | grep -q "Service stopped"; then
  echo "service: the log does not end with the stop" >&2
  exit 1
fi
(cd "$run_dir" && "$wine" ./zorbel.exe uninstall) | grep -q "Servicio desinstalado"
if "$wine" sc query "Zorbel Prueba" 2>/dev/null | grep -q STATE; then
  echo "service: still registered after uninstall" >&2
  exit 1
fi
echo "service install, run, stop during a print and uninstall under Wine: passed"

# A service whose controller's port cannot be opened stops at once, and the
# manager shows why: a service-specific exit code, the error number
# (IO_OPEN_ERROR, 252).
sed -i 's/COM6/COM9/' "$run_dir/proxyconfig.xml"
rm -f "$WINEPREFIX/dosdevices/com9"
(cd "$run_dir" && "$wine" ./zorbel.exe install) | grep -q "Servicio instalado"
"$wine" net start "Zorbel Prueba" >/dev/null 2>&1 || true
for _ in $(seq 50); do
  "$wine" sc query "Zorbel Prueba" | grep -q STOPPED && break
  sleep 0.2
done
state=$("$wine" sc query "Zorbel Prueba" | tr -d '\r')
(cd "$run_dir" && "$wine" ./zorbel.exe uninstall) | grep -q "Servicio desinstalado"
if ! grep -q "WIN32_EXIT_CODE *: *1066" <<<"$state" || ! grep -q "SERVICE_EXIT_CODE *: *252" <<<"$state"; then
  echo "service: a failed start shows $state" >&2
  exit 1
fi
echo "service that cannot open its port reports the failure to the manager: passed"

# The installer, as a shop's deployment tool runs it: silent install into
# Program Files over a folder that already holds the shop's settings (kept),
# the service installed, started and answering through the emulator; then
# the silent uninstall stops and removes it and keeps the settings.
cmake --build "$build_dir" --target installer >/dev/null
installer=$(ls "$build_dir"/package/zorbel-*-setup-x64.exe)
program_files="$WINEPREFIX/drive_c/Program Files/Zorbel"
rm -rf "$program_files"
mkdir -p "$program_files"
port=18124
printf '<config><SerialPort>COM6</SerialPort><HttpPort>%s</HttpPort>%s</config>\n' "$port" \
  '<ServiceName>Zorbel Instalado</ServiceName><AutomaticStart>n</AutomaticStart>' \
  >"$program_files/proxyconfig.xml"
cp "$program_files/proxyconfig.xml" "$run_dir/settings-before.xml"
ln -sfn "$(head -1 "$run_dir/emulator.out")" "$WINEPREFIX/dosdevices/com6"
"$wine" "$installer" /S
cmp "$program_files/proxyconfig.xml" "$run_dir/settings-before.xml"
test -f "$program_files/zorbel.exe" && test -f "$program_files/uninstall.exe"
for _ in $(seq 100); do post '{"ConsultarEstado":{}}' | grep -q ConsultarEstado && break; sleep 0.2; done
expect '{"ConsultarEstado":{"CodigoComprobante":"FacturaA"}}' '"CodigoComprobante":"FacturaA"'
"$wine" sc query "Zorbel Instalado" | grep -q RUNNING
"$wine" "$program_files/uninstall.exe" /S
# The uninstaller copies itself away and returns before that copy is done.
for _ in $(seq 150); do [ -e "$program_files/zorbel.exe" ] || break; sleep 0.2; done
if [ -e "$program_files/zorbel.exe" ] || "$wine" sc query "Zorbel Instalado" 2>/dev/null | grep -q STATE; then
  echo "installer: the silent uninstall left the program or the service" >&2
  exit 1
fi
test -f "$program_files/proxyconfig.xml"
echo "installer $installer: silent install, service answering, silent uninstall under Wine: passed"

# The shop's zip: the two programs (stripped), the settings and the README.
cmake --build "$build_dir" --target package >/dev/null
zip_file="$build_dir/package/zorbel-$(sed -n 's/^project(zorbel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-windows-x64.zip"
python3 - "$zip_file" <<'PY'
import sys, zipfile
names = {n.split("/", 1)[1] for n in zipfile.ZipFile(sys.argv[1]).namelist()}
wanted = {"zorbel.exe", "zorbel-cli.exe", "proxyconfig.xml", "README.txt"}
if not wanted <= names:
    sys.exit("zip lacks " + ", ".join(sorted(wanted - names)))
PY
echo "package $zip_file: passed"
