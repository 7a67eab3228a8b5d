#!/usr/bin/env bash
# Checks that every C++ file of src/, tests/ and bench/ is formatted as
# .clang-format says (clang-format-14, nothing is changed).  Fails and names
# the lines when one is not; `clang-format-14 -i FILE` formats a file.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find src tests bench -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
echo "clang-format over ${#files[@]} files of src/, tests/ and bench/"
printf '%s\0' "${files[@]}" | xargs -0 -n 50 -P 8 clang-format-14 --dry-run --Werror
