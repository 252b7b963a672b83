#!/bin/sh
# Renders the icon's PNG sizes of the freedesktop icon theme from its SVG
# (rsvg-convert, Debian package librsvg2-bin). Run after changing the SVG;
# the PNGs are kept in the repository so that the build needs no renderer.
set -e
cd "$(dirname "$0")/hicolor"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" scalable/apps/tekstovar.svg -o "${size}x${size}/apps/tekstovar.png"
done
