#!/usr/bin/env bash
# Builds Zorbel and shows the bridge at work without hardware: starts
# zorbel-emulator on a new pseudo-terminal and `zorbel test` against it on a
# free local port (in a scratch directory with its own proxyconfig.xml),
# sends a short sale through HTTP with curl printing each request and
# answer, then keeps serving until Ctrl-C. With --once it ends after the
# sale. Installs the Debian packages it needs when run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

once=0
[ "${1:-}" = "--once" ] && once=1

bash scripts/install-deps.sh
command -v curl >/dev/null || { echo "curl is needed (apt-get install curl)" >&2; exit 1; }
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target zorbel zorbel-emulator

scratch=$(mktemp -d)
source scripts/bridge_lib.sh
cleanup() {
  bridge_stop
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 0' INT TERM

bridge_start "$root/build" "$scratch" 18080 "<AllowedClients>127.0.0.1</AllowedClients>"
echo "emulator on $pty; bridge on http://127.0.0.1:$port/"

post() {
  echo "\$ curl -s -H 'Content-Type: application/json' --data '$1' http://127.0.0.1:$port/fiscal.json"
  curl -s -H 'Content-Type: application/json' --data "$1" "http://127.0.0.1:$port/fiscal.json"
  echo
  echo
}
post '{"ConsultarEstado":{"CodigoComprobante":"Tique","Secuencia":"1"}}'
post '{"AbrirDocumento":{"CodigoComprobante":"83","Secuencia":"2"}}'
post '{"ImprimirItem":{"Descripcion":"Café con leche","Cantidad":"1","PrecioUnitario":"2.50","CondicionIVA":"7","AlicuotaIVA":"21.00","OperacionMonto":"M","MagnitudImpuestoInterno":"0","ModoBaseTotal":"T","Secuencia":"3"}}'
post '{"ImprimirPago":{"Descripcion":"Efectivo","Monto":"2.50","Operacion":"T","Secuencia":"4"}}'
post '{"CerrarDocumento":{"Secuencia":"5"}}'

[ "$once" = 1 ] && exit 0

echo "Serving. The log: http://127.0.0.1:$port/"
echo "Try: curl -s -H 'Content-Type: application/json' --data '{\"ConsultarEstado\":{}}' http://127.0.0.1:$port/fiscal.json"
echo "Ctrl-C ends."
wait "$bridge" || true
