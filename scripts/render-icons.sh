#!/usr/bin/env bash
# Renders the icon's PNG sizes from its SVG. Run it after changing the SVG and
# commit the PNGs with it; the package test checks that they still match.
#   ./scripts/render-icons.sh [output folder]   (default: data/icons)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-data/icons}
mkdir -p "$out"
for size in 16 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
        data/icons/io.github.krntools.krntools.svg --output "$out/krntools-$size.png"
done
