#!/usr/bin/env bash
# Fails when a C++ source file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find src tests bench fuzz data examples -name '*.cpp' -o -name '*.h' | sort)
[ ${#files[@]} -eq 0 ] && exit 0
clang-format --dry-run --Werror "${files[@]}"
echo "Formatting: clean (${#files[@]} files)"
