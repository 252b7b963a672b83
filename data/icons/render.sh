#!/bin/sh
# Renders the icon's PNG sizes of the freedesktop icon theme from its SVG
# (rsvg-convert, Debian package librsvg2-bin). Run after changing the SVG;
# the PNGs are kept in the repository so that the build needs no renderer.
# The smallest size has a drawing of its own, on its pixel grid.
set -e
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  source=hicolor/scalable/apps/tekstovar.svg
  [ "$size" -eq 16 ] && source=tekstovar-16.svg
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$source" -o "hicolor/${size}x${size}/apps/tekstovar.png"
done
