#!/usr/bin/env bash
# Renders the icon at the usual hicolor sizes into packaging/icons/ (the PNGs are committed, so
# building needs no renderer). Run again after changing nimbrel.svg; needs librsvg2-bin.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" nimbrel.svg -o "icons/nimbrel-$size.png"
done
