#!/usr/bin/env bash
# Builds Vendrel and runs the whole test suite twice: an optimised build, and a
# build with AddressSanitizer and UndefinedBehaviorSanitizer so that memory
# faults fail the run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
for variant in release asan; do
  if [ "$variant" = asan ]; then
    flags=(-DCMAKE_BUILD_TYPE=Debug -DVENDREL_SANITIZE=ON -DVENDREL_BENCH=OFF)
  else
    flags=(-DCMAKE_BUILD_TYPE=Release)
  fi
  echo "=== $variant build ==="
  cmake -S . -B "build/$variant" "${flags[@]}" > /dev/null
  cmake --build "build/$variant" -j "$jobs"
  echo "=== $variant tests ==="
  ctest --test-dir "build/$variant" -j "$jobs" --output-on-failure
done
