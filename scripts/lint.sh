#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy at the top) over the program's own sources in src/ and tools/,
# with the compile commands of an existing build (BUILD_DIR, build/ by default), and fails on
# any finding.
#
# By default only what differs from main is checked: the .cpp files changed, added or not yet
# committed, and the .cpp beside each changed header (a header is checked through the files
# that include it). With --all (or QUILLORY_LINT=all, as CI runs it) every file is checked.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [ ! -f "$build/compile_commands.json" ]; then
    echo "no $build/compile_commands.json: build first (scripts/build.sh)" >&2
    exit 1
fi
all=0
if [ "${1:-}" = --all ] || [ "${QUILLORY_LINT:-}" = all ]; then all=1; fi

files="(src|tools)/.*\\.cpp"
if [ "$all" -eq 0 ]; then
    cd "$root"
    base=""
    for ref in main origin/main; do
        if base=$(git merge-base HEAD "$ref" 2>/dev/null); then break; fi
    done
    if [ -z "$base" ]; then
        all=1
    else
        changed=$( { git diff --name-only "$base" -- src tools; git ls-files --others --exclude-standard -- src tools; } |
            sed -n 's/\.\(cpp\|h\)$/.cpp/p' | sort -u | while read -r f; do [ -f "$f" ] && echo "$f"; done)
        if [ -z "$changed" ]; then
            echo "clang-tidy: no source changed against main (scripts/lint.sh --all checks every file)"
            exit 0
        fi
        echo "clang-tidy: $(wc -l <<<"$changed") file(s) changed against main (--all checks every file)"
        files="($(paste -sd'|' <<<"$changed" | sed 's/\./\\./g'))"
    fi
fi

run_clang_tidy="${RUN_CLANG_TIDY:-run-clang-tidy}"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
# The build's compiler (GCC) decides which conversions need a cast: its -Wconversion leaves
# changes of signedness alone in C++, clang's reports them, so clang-tidy is told the same.
"$run_clang_tidy" -quiet -p "$build" -j "$(nproc)" -header-filter="^$root/src/" -extra-arg=-Wno-sign-conversion \
    "^$root/$files\$" >"$log" 2>&1 || status=$?
findings=$(grep -cE '(warning|error): ' "$log" || true)
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    grep -E -A3 '(warning|error): ' "$log" || cat "$log"
    echo "clang-tidy: $findings finding(s)" >&2
    exit 1
fi
echo "clang-tidy: no findings"
