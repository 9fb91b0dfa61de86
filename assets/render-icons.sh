#!/usr/bin/env bash
# Renders the program's icon and splash logo from their SVG sources into the PNGs that the build
# embeds and installs. The PNGs are committed, so only someone who changes the artwork needs this
# (and rsvg-convert, from Debian's librsvg2-bin).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/icons/png"
mkdir -p "$out"

for size in 16 24 32 48 64 72 80 96 128 256; do
    rsvg-convert --width "$size" --height "$size" "$here/icons/tolvane.svg" -o "$out/tolvane-$size.png"
done
# The logo is drawn in the proportions of the box it is stretched into and rendered squeezed.
rsvg-convert --width 90 --height 88 "$here/icons/tolvane-logo.svg" -o "$out/tolvane-logo.png"
