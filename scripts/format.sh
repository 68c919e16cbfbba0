#!/bin/sh
# Applies .clang-format to every C++ source of the tree; with --check, lists
# the files that differ from it and fails instead of changing them.
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' '*.c' | grep -v '^tests/fuzz/corpus/')
if [ "${1:-}" = "--check" ]; then
  # shellcheck disable=SC2086
  clang-format --dry-run --Werror $files
else
  # shellcheck disable=SC2086
  clang-format -i $files
fi
