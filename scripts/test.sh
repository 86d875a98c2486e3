#!/usr/bin/env bash
# Checks the sources' layout, builds Quillory, runs clang-tidy over its sources and the whole
# test suite headless. Arguments go to cmake (CI passes -DQUILLORY_WERROR=ON).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/format.sh" --check
bash "$root/scripts/build.sh" "$@"
build="${BUILD_DIR:-$root/build}"
BUILD_DIR="$build" bash "$root/scripts/lint.sh"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
