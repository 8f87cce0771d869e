#!/usr/bin/env bash
# The demo: runs the library through tolvane-call on the bundled examples.
# usage: examples/demo.sh path/to/tolvane-call output-folder
set -euo pipefail
call=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
step() { printf '\n== %s\n' "$*"; }

step "library version"
"$call" Version

# @@mesh@@

# @@mesh-swap@@

# @@groups@@

# @@image@@
step "images: stencil, colour swap, grayscale, merge, heal, thumbnail, BMP crop"
img=$here/images
for f in badge top bottom tile; do cp "$img/$f.psd" "$out/$f.psd"; done
cp "$out/badge.psd" "$out/stencil.psd"
cp "$out/badge.psd" "$out/swapped.psd"
cp "$out/tile.psd" "$out/healed_rows.psd"
cp "$out/tile.psd" "$out/healed_columns.psd"
cp "$out/badge.psd" "$out/thumb.psd"
# White stays, everything else turns blue; then the red dot turns green.
"$call" SetInColor 16777215 -- MakeStencilPSD "$out/stencil.psd" 255
"$call" SetInColor 14425630 -- SwapColorsPSD "$out/swapped.psd" 65280
"$call" RGBtoGrayscale "$out/badge.psd" 40 "$out/gray.psd"
# Magenta in the top layer lets the bottom layer show through.
"$call" MergePSDfiles "$out/top.psd" 16711935 "$out/bottom.psd"
"$call" HealPSDfiles "$out/healed_rows.psd" 0 "$out/tile.psd"
"$call" HealPSDfiles "$out/healed_columns.psd" 1 "$out/tile.psd"
"$call" CreateThumbnail "$out/thumb.psd" 16
# 40 pixels wide, from pixel 20 of every kept row.
"$call" CropBMP_SetWidth 40 -- CropBMPfile "$img/strip.bmp" 20 "$out/strip_crop.bmp"

# @@files@@

printf '\nDemo output is in %s\n' "$out"
