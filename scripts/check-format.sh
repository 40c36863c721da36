#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find table project build editor tests fuzz bench examples \
  \( -name '*.cpp' -o -name '*.h' \) -type f 2>/dev/null | sort)
clang-format --dry-run -Werror "${files[@]}"
echo "clang-format: ${#files[@]} files clean."
