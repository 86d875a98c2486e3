#!/usr/bin/env bash
# Checks the sources' layout, builds Quillory, runs clang-tidy over what changed against main
# (QUILLORY_LINT=all: over every source, as CI does) and the whole test suite headless, and
# says how long each step took. Arguments go to cmake (CI passes -DQUILLORY_WERROR=ON).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
started=$SECONDS
step() {
    local from=$SECONDS
    "$@"
    echo "== $(basename "${2:-$1}" .sh): $(( (SECONDS - from) / 60 )) min $(( (SECONDS - from) % 60 )) s"
}
tests() { (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"); }
step bash "$root/scripts/install-deps.sh"
step bash "$root/scripts/format.sh" --check
step bash "$root/scripts/build.sh" "$@"
BUILD_DIR="$build" step bash "$root/scripts/lint.sh"
step tests
echo "== all: $(( (SECONDS - started) / 60 )) min $(( (SECONDS - started) % 60 )) s"
