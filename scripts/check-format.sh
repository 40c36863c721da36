#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' | sort)
clang-format --dry-run -Werror "${files[@]}"
echo "clang-format: ${#files[@]} files clean."
