#!/bin/sh
# Runs the cross-check: GDI draws the corpus under Wine, then the soft
# rasteriser draws it and the two are compared.
#   crosscheck.sh <wine> <gdi_render.exe> <raster_crosscheck> <output directory>
set -eu
[ $# -eq 4 ] || { echo "usage: $0 <wine> <gdi_render.exe> <raster_crosscheck> <output dir>" >&2; exit 2; }
mkdir -p "$4"
rm -f "$4"/*.png
# The Windows program is handed a path relative to its working directory.
(cd "$4" && "$1" "$2" gdi.pictures)
"$3" "$4/gdi.pictures" "$4"
