#!/usr/bin/env bash
# The test command: installs what a fresh Debian 12 machine lacks (as root, or
# through sudo), checks the layer rule of ARCHITECTURE.md over the includes of
# src/ and its rule for statics (no function of src/tables/ or src/output/
# keeps state in a static), then builds Vendrel (warnings are errors) and runs the whole test
# suite twice: an optimised build with the graphical front end, its window
# tests (label gui) each on its own Xvfb display, and a build without the
# toolkit (as on a machine without wxWidgets) with AddressSanitizer and
# UndefinedBehaviorSanitizer so that memory faults fail the run, and runs
# clang-tidy over src/ (tools/tidy.sh).  Then builds
# the fuzzers with clang (libFuzzer, with the same sanitizers) and runs them:
# the conversion fuzzer for a minute from the test inputs, the policy-file
# fuzzer for 20 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
# unrtf reads the RTF output back in the tests; clang-14 and its runtime
# libraries (libFuzzer, the sanitizers) build the fuzz test.
# python3 runs the layer check and the check of statics.  clang-tidy-14 and clang-format-14 check the
# sources.  libwxgtk3.2-dev builds the graphical front end; xvfb and xauth
# give its window tests a display, openbox a window manager on it.
bash tools/install_packages.sh g++ cmake make python3 libgtest-dev libbenchmark-dev unrtf clang-14 libclang-rt-14-dev \
  clang-tidy-14 clang-format-14 libwxgtk3.2-dev xvfb xauth openbox
echo "=== format check ==="
bash tools/check_format.sh
echo "=== layer check ==="
python3 tools/check_layers.py
echo "=== statics check ==="
python3 tools/check_statics.py
jobs=$(nproc)
for variant in release asan; do
  if [ "$variant" = asan ]; then
    # The sanitizer tree is also the tree without the toolkit: it proves on
    # every run that everything but the front end builds and passes without
    # wxWidgets.
    flags=(-DCMAKE_BUILD_TYPE=Debug -DVENDREL_SANITIZE=ON -DVENDREL_BENCH=OFF -DVENDREL_WERROR=ON
      -DCMAKE_DISABLE_FIND_PACKAGE_wxWidgets=ON)
  else
    flags=(-DCMAKE_BUILD_TYPE=Release -DVENDREL_WERROR=ON)
  fi
  echo "=== $variant build ==="
  cmake -S . -B "build/$variant" "${flags[@]}" > /dev/null
  cmake --build "build/$variant" -j "$jobs"
  echo "=== $variant tests ==="
  if [ "$variant" = asan ]; then
    ctest --test-dir "build/$variant" -j "$jobs" --output-on-failure -LE gui
  else
    ctest --test-dir "build/$variant" -j "$jobs" --output-on-failure
  fi
done
echo "=== clang-tidy ==="
bash tools/tidy.sh build/release

clangxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$clangxx" ]; then
  echo "clang++ is missing: the fuzz test needs clang and libFuzzer (apt-get install clang-14 libclang-rt-14-dev)" >&2
  exit 1
fi
echo "=== fuzz build ==="
cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER="$clangxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVENDREL_FUZZ=ON \
  -DVENDREL_FUZZ_SECONDS=60 -DVENDREL_POLICY_FUZZ_SECONDS=20 -DVENDREL_TESTS=OFF -DVENDREL_BENCH=OFF > /dev/null
cmake --build build/fuzz -j "$jobs"
echo "=== fuzz test ==="
ctest --test-dir build/fuzz -L fuzz --output-on-failure
