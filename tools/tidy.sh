#!/usr/bin/env bash
# Runs clang-tidy-14 with the checks of .clang-tidy (every finding is an error)
# over the sources of src/, 8 files at a time, with the compile database of a
# configured build folder (CMake exports compile_commands.json).  Fails when
# any file has a finding.
#
# Usage: tools/tidy.sh [BUILD_FOLDER]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "$build/compile_commands.json is missing: configure the build first (cmake -S . -B $build)" >&2
  exit 2
fi
# The database names each file by its physical path.
src="$(pwd -P)/src/"
files=$(grep -c "\"file\": \"$src" "$build/compile_commands.json" || true)
if [ "$files" -eq 0 ]; then
  echo "$build/compile_commands.json names no file of $src" >&2
  exit 2
fi
echo "clang-tidy over $files files of src/"
# The database holds g++'s command lines: clang does not know every g++
# warning option they name (-Wno-restrict), which is no finding.
# run-clang-tidy prints each command and colours its output; a log reads
# better with the findings alone.
run-clang-tidy-14 -clang-tidy-binary clang-tidy-14 -p "$build" -j 8 -quiet \
  -extra-arg=-Wno-unknown-warning-option "^$src" 2>&1 |
  sed -E -e 's/\x1b\[[0-9;]*m//g' -e '/^clang-tidy-14 /d' -e '/^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$/d'
