#!/usr/bin/env bash
# Line and branch coverage of src/ by the test suite, per folder, as a Markdown table.
#   scripts/coverage.sh [build folder]     (default: build-coverage beside the sources)
#   JOBS=n runs n compilers and n tests at once (default: one per processor).
# Builds with QUILLORY_COVERAGE, runs the suite (not the package and desktop-launcher tests,
# which install the program), and reads the counters with gcovr. Branches that only an
# exception or the compiler's own code can take are left out of the branch figure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-coverage}
jobs=${JOBS:-$(nproc)}
command -v gcovr >/dev/null || { echo "coverage.sh needs gcovr (apt-get install gcovr)" >&2; exit 1; }

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUILLORY_COVERAGE=ON >/dev/null
cmake --build "$build" -j"$jobs"
find "$build" -name '*.gcda' -delete
# Some safety tests run as an unprivileged user: they must be able to write their counters.
chmod -R a+rwX "$build"
# Unoptimised and counting, a speed limit may not hold: a failed test is named, and the counters
# of everything that ran are still read.
(umask 000 && cd "$build" && QT_QPA_PLATFORM=offscreen ctest -j"$jobs" -E 'package|launcher' --output-on-failure) ||
  echo "coverage.sh: some tests failed in the coverage build (above)" >&2

gcovr -r "$root" --object-directory "$build" --filter "$root/src/" -j"$jobs" \
  --exclude-throw-branches --exclude-unreachable-branches \
  --json-summary "$build/coverage.json" --json-summary-pretty >/dev/null
python3 - "$build/coverage.json" <<'PY'
import json, sys, collections
files = json.load(open(sys.argv[1]))["files"]
sums = collections.defaultdict(lambda: [0, 0, 0, 0])
for f in files:
    # Headers reached through the build folder's include links are counted under src/ already.
    if "/include-roots/" in f["filename"]:
        continue
    parts = f["filename"].split("/")
    folder = parts[1] if len(parts) > 2 else "(top)"
    for key in (folder, "all of src"):
        s = sums[key]
        s[0] += f["line_covered"]; s[1] += f["line_total"]
        s[2] += f["branch_covered"]; s[3] += f["branch_total"]
pct = lambda a, b: f"{100.0 * a / b:.1f} %" if b else "-"
print("| folder | lines | line coverage | branches | branch coverage |")
print("|---|---:|---:|---:|---:|")
for key in sorted(k for k in sums if k != "all of src") + ["all of src"]:
    a, b, c, d = sums[key]
    print(f"| {key} | {b} | {pct(a, b)} | {d} | {pct(c, d)} |")
PY
