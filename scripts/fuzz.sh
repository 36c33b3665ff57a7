#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address + undefined-behaviour
# sanitizers) in build-fuzz/ and runs each one for a bounded time on its
# seeds. Any crash, sanitizer report, leak or hang fails the run.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZORBEL_SANITIZE=ON -DZORBEL_FUZZ=ON -DZORBEL_BUILD_TESTS=OFF -DZORBEL_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc 2>/dev/null || echo 2)"

shopt -s nullglob
targets=(build-fuzz/fuzz/*_fuzz)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets"
  exit 0
fi
status=0
for target in "${targets[@]}"; do
  name=$(basename "$target" _fuzz)
  work=$(mktemp -d)
  mkdir "$work/corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("$PWD/fuzz/seeds/$name")
  echo "== $name: ${seconds}s"
  # Run in the scratch directory: targets that log leave their files there.
  if ! (cd "$work" && "$OLDPWD/$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" \
        "${seeds[@]}" >"$work/log" 2>&1); then
    echo "FAILED: $name" >&2
    tail -n 60 "$work/log" >&2
    status=1
  else
    grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$work/log" | tail -n 2
  fi
  rm -rf "$work"
done
exit $status
