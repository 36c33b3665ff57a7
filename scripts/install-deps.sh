#!/usr/bin/env bash
# Installs the Debian packages Zorbel builds with, when any is missing.
#   scripts/install-deps.sh             the Linux build and its tests
#   scripts/install-deps.sh --windows   also the Windows cross build and Wine
set -euo pipefail
# The program needs only the compiler and the standard library. The tests,
# benchmarks and fuzz targets use well-kept parsers as oracles and yardsticks
# (nlohmann-json, expat, RapidJSON, http-parser, Python's jsonschema and
# Prometheus client) and clang's libFuzzer; the end-to-end tests load the
# index page in headless Chromium.
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
          nlohmann-json3-dev libexpat1-dev rapidjson-dev libhttp-parser-dev
          clang libclang-rt-14-dev curl chromium python3-jsonschema
          python3-prometheus-client)
for arg in "$@"; do
  case "$arg" in
    # MinGW-w64 with the posix thread model (std::thread), Wine to run the
    # Windows test programs, GoogleTest's sources to build for Windows, and
    # makensis for the installer.
    --windows) packages+=(g++-mingw-w64-x86-64-posix wine64 googletest nsis) ;;
    *) echo "usage: $0 [--windows]" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi
