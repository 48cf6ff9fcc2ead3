#!/usr/bin/env bash
# Formats the tracked C and C++ sources with clang-format 14 and .clang-format:
#     scripts/format.sh            every source of the tree
#     scripts/format.sh FILE...    those files only
#     scripts/format.sh --check    changes nothing; fails when a source is not formatted
# The fuzz seed corpora are data and are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang-format-14
check=false
if [ "${1:-}" = "--check" ]; then
  check=true
  shift
fi
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files '*.c' '*.h' '*.cpp' ':!:fuzz/corpus/**')
fi
if $check; then
  clang-format-14 --dry-run --Werror "${files[@]}"
else
  clang-format-14 -i "${files[@]}"
fi
