#!/usr/bin/env bash
# Builds Quillory and starts it on a ledger folder: ~/Quillory, or the folder named.
# The first time, a new ledger is made there (by the launcher, quillory-start).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
folder="${1:-$HOME/Quillory}"

bash "$root/scripts/build.sh"
build="${BUILD_DIR:-$root/build}"

# A ledger inside the source tree would be swept into commits or away with a build folder.
case "$(realpath -m -- "$folder")/" in
  "$(realpath -- "$root")"/*)
    echo "run.sh: keep the ledger outside the source tree ($folder is inside $root)." >&2
    exit 1 ;;
esac

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display. Quillory needs a graphical session; to try it without one:" >&2
  echo "    xvfb-run -a $0 ${1:-}" >&2
  exit 2
fi
exec "$build/quillory-start" -- "$folder"
