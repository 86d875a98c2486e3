#!/usr/bin/env bash
# Checks the sources' layout, builds Quillory and runs the whole test suite headless.
# Arguments go to cmake (CI passes -DQUILLORY_WERROR=ON).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/format.sh" --check
bash "$root/scripts/build.sh" "$@"
build="${BUILD_DIR:-$root/build}"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
