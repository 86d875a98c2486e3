#!/usr/bin/env bash
# Draws the program's windows into docs/images/*.png, the pictures of the guide
# (docs/使用說明.md), on a generated ledger that ends today. Run it after a window changes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" >/dev/null
cmake --build "$build" --target quillory-shots -j"$(nproc)" >/dev/null
QT_QPA_PLATFORM=offscreen LANG=zh_TW.UTF-8 "$build/quillory-shots" "$root/docs/images" 2> >(grep -v propagateSizeHints >&2)
ls "$root/docs/images"
