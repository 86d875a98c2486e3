#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy at the top) over the program's own sources in src/ and tools/,
# with the compile commands of an existing build (BUILD_DIR, build/ by default), and fails on
# any finding.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [ ! -f "$build/compile_commands.json" ]; then
    echo "no $build/compile_commands.json: build first (scripts/build.sh)" >&2
    exit 1
fi
run_clang_tidy="${RUN_CLANG_TIDY:-run-clang-tidy}"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Only the files of src/ and tools/; headers of src/ are checked through them.
status=0
# The build's compiler (GCC) decides which conversions need a cast: its -Wconversion leaves
# changes of signedness alone in C++, clang's reports them, so clang-tidy is told the same.
"$run_clang_tidy" -quiet -p "$build" -j "$(nproc)" -header-filter="^$root/src/" -extra-arg=-Wno-sign-conversion \
    "^$root/(src|tools)/.*\\.cpp\$" >"$log" 2>&1 || status=$?
findings=$(grep -cE '(warning|error): ' "$log" || true)
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    grep -E -A3 '(warning|error): ' "$log" || cat "$log"
    echo "clang-tidy: $findings finding(s)" >&2
    exit 1
fi
echo "clang-tidy: no findings"
