#!/usr/bin/env bash
# Builds Zorbel and runs every test. Installs the Debian packages it needs
# when they are missing and it runs as root.
#   scripts/test.sh              normal build in build/
#   scripts/test.sh --sanitize   address + undefined-behaviour build in build-asan/
#   scripts/test.sh --windows    Windows cross build in build-win/, run under Wine
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--windows" ]; then
  exec bash scripts/test-windows.sh
fi

sanitize=OFF
build_dir=build
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=ON; build_dir=build-asan ;;
    *) echo "usage: $0 [--sanitize | --windows]" >&2; exit 2 ;;
  esac
done

bash scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZORBEL_SANITIZE="$sanitize"
cmake --build "$build_dir" -j "$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"
