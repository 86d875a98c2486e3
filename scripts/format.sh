#!/usr/bin/env bash
# Formats every C++ file of the project with clang-format (.clang-format at the top), or with
# --check only reports the files that differ and fails if there are any.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
clang_format="${CLANG_FORMAT:-clang-format}"
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
    echo "no C++ files found: run this in a git checkout of Quillory" >&2
    exit 1
fi
if [ "${1:-}" = "--check" ]; then
    "$clang_format" --dry-run -Werror "${files[@]}"
    echo "format check: ${#files[@]} files as .clang-format lays them out"
else
    "$clang_format" -i "${files[@]}"
fi
