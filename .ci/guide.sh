#!/usr/bin/env bash
# CI: the fixes of docs/files-from-other-programs.md on files like those
# painting programs write, then the library's operations on the results:
# the colours must come out where they were.
#   bash .ci/guide.sh [BUILD]      (default build; needs ImageMagick)
set -euo pipefail
cd "$(dirname "$0")/.."
call="$PWD/${1:-build}/tolvane-call"
flat="$PWD/examples/flat_psd.py"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "guide.sh: $*" >&2; exit 1; }
pixel() { convert "$1" -format "%[pixel:p{$2}]" info:; }

# PSD: 16-bit, compressed, with a layer; red above, blue below.
convert -size 120x120 xc:red -fill blue -draw 'rectangle 0,60 119,119' -depth 16 -compress RLE painting.psd
convert 'painting.psd[0]' -alpha off -colorspace sRGB -depth 8 ppm:- | python3 "$flat" painting-flat.psd
"$call" -q SetInColor 16711680 -- SwapColorsPSD painting-flat.psd 65280 || fail "the flat PSD was refused"
[ "$(pixel painting-flat.psd 5,5) $(pixel painting-flat.psd 5,100)" = "srgb(0,255,0) srgb(0,0,255)" ] ||
  fail "red did not become green in the flat PSD, or blue changed"

# BMP: a sheet with see-through pixels; a 20-pixel strip from pixel 40.
convert -size 100x30 xc:none -fill red -draw 'rectangle 50,0 99,29' sheet.png
convert sheet.png -alpha off -type TrueColor BMP3:sheet24.bmp
"$call" -q CropBMP_SetWidth 20 -- CropBMPfile sheet24.bmp 40 strip.bmp || fail "the 24-bit BMP was refused"
[ "$(pixel strip.bmp 12,10) $(convert strip.bmp -format '%wx%h' info:)" = "srgb(255,0,0) 20x27" ] ||
  fail "the strip of the 24-bit BMP is not the sheet's"
echo "guide fixes: the PSD and the BMP come out as the library takes them"
