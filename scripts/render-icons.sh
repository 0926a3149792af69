#!/bin/sh
# Renders the program's icon (resources/tonalba.svg) at the hicolor sizes the
# package installs. The PNGs are kept in the repository, so a build needs no
# SVG renderer; run this after changing the SVG (needs librsvg2-bin).
set -eu
cd "$(dirname "$0")/../resources"
mkdir -p icons
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" tonalba.svg -o "icons/tonalba-$size.png"
done
