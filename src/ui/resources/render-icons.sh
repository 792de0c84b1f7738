#!/usr/bin/env bash
# Renders the program's SVG icons into the PNG sizes built into the program and installed with it.
# Needs rsvg-convert (Debian package librsvg2-bin); run it after changing an SVG.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here/icons"
for svg in svg/*.svg; do
    name=$(basename "$svg" .svg)
    rsvg-convert -w 48 -h 48 "$svg" -o "$name.png"
done
for size in 16 32 64 128 256; do
    rsvg-convert -w "$size" -h "$size" svg/melodex.svg -o "melodex-$size.png"
done
