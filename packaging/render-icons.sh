#!/usr/bin/env bash
# Renders the PNG sizes of the program's icon from icons/quillory.svg. The PNGs are kept in
# the repository, so building and packaging need no SVG renderer; run this after changing
# the drawing (needs rsvg-convert: apt-get install librsvg2-bin).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$here/icons/quillory.svg" -o "$here/icons/quillory-$size.png"
done
