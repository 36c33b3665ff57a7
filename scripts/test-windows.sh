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
fi
# Keep one server running for the whole suite rather than one per program.
"$wineserver" -p 2>/dev/null || true  # already running is fine
# One program first: a fresh server finishing its start-up while several
# programs start at once has been seen to leave one of them hanging.
"$wine" cmd /c exit 0 >/dev/null 2>&1 || true

# COM5 of the prefix is a pseudo-terminal whose far end echoes, for the
# serial port tests.
python3 scripts/pty-echo.py "$WINEPREFIX/dosdevices/com5" >"$build_dir/pty-echo.out" &
echo_pid=$!
stop_all() { kill "$echo_pid" 2>/dev/null || true; stop_wine; }
trap stop_all EXIT
for _ in $(seq 50); do [ -s "$build_dir/pty-echo.out" ] && break; sleep 0.1; done
export ZORBEL_TEST_COM=COM5
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"
