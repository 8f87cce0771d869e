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
step "Qiv mesh to OBJ: face IDs from the coarse cube, then the fine cube's export"
"$call" getFaceIDs "$here/faces.qiv" 1 -- qivtoOBJ "$here/cube.qiv" "$out/cube.obj"
head -n 6 "$out/cube.obj"
echo "..."
grep -n -A 3 '^#FaceID 5$' "$out/cube.obj"
step "vertex colours alone"
"$call" outMRGB "$here/colours.qiv" "$out/colours.txt"
cut -c 1-60 "$out/colours.txt"

# @@mesh-swap@@
step "Qiv vertex swap: part.Qit's positions into a copy of part.qiv"
cp "$here/part.qiv" "$here/tiles.qiv" "$out/"
"$call" SwapVertices_Qiv "$here/part.Qit" "$out/part.qiv"
echo "size $(stat -c %s "$here/part.qiv") -> $(stat -c %s "$out/part.qiv");" \
  "bytes changed: $(cmp -l "$here/part.qiv" "$out/part.qiv" | wc -l) (all inside the vertex records)"
# A Qit file for another mesh is refused and the mesh stays as it was.
"$call" SwapVertices_Qiv "$here/part.Qit" "$out/tiles.qiv" || true
cmp "$here/tiles.qiv" "$out/tiles.qiv" && echo "tiles.qiv unchanged"

step "UV tiles of tiles.qiv (no entry point: called by their C++ names)"
if command -v python3 > /dev/null; then
  python3 - "$(dirname "$call")/libtolvane.so" "$here/tiles.qiv" "$out/tile.Qiv" << 'PY'
import ctypes, sys
lib = ctypes.CDLL(sys.argv[1])
count = lib._Z13GetUVsFromQivPKcS0_
count.restype = ctypes.c_float
tiles = int(count(sys.argv[2].encode(), sys.argv[3].encode()))
key = ctypes.create_string_buffer(64)
for k in range(tiles):
    lib._Z15getUVTileStringiPc(k, key)
    print(f"tile{k}.Qiv: tile key {key.value.decode()}")
PY
fi

# @@groups@@
step "OBJ group tools: combine the parts, keep the list, split back, swap into the parts"
g=$out/groups
mkdir -p "$g/parts" "$g/obj" "$g/qit"
cp "$here"/parts/*.obj "$g/parts/"
# Each AppendOBJ takes the vertex lines already in the combined file.
o2=$(grep -c '^v ' "$g/parts/cube.obj")
o3=$((o2 + $(grep -c '^v ' "$g/parts/pyramid.obj")))
"$call" GroupListClear \
  -- AppendOBJ "$g/parts/cube.obj" 0 "$g/combined.obj" \
  -- AppendOBJ "$g/parts/pyramid.obj" "$o2" "$g/combined.obj" \
  -- AppendOBJ "$g/parts/wedge.obj" "$o3" "$g/combined.obj" \
  -- GroupListSave "$g/parts.grp" -- GroupListClear -- GroupListLoad "$g/parts.grp" \
  -- GroupListSize -- GroupListGetName 1 \
  -- ListSplitOBJtoQiv "$g/combined.obj" "$g/qit/" \
  -- SplitOBJ "$g/combined.obj" "$g/obj/" \
  -- SwapVertices "$g/obj/cube.obj" "$g/parts/cube.obj" \
  -- SwapVertices "$g/obj/pyramid.obj" "$g/parts/pyramid.obj" \
  -- SwapVertices "$g/obj/wedge.obj" "$g/parts/wedge.obj" \
  -- ClearNameSet -- CheckName cube -- CheckName cube -- CheckName cube
ls -l "$g/qit" "$g/obj"

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
step "files: copy a file, walk a folder, empty it of its files"
scratch="$out/scratch"
mkdir -p "$scratch/keep-me"
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n' > "$scratch/part.obj"
printf 'notes\n' > "$scratch/readme"
"$call" FileCopyTo "$scratch/part.obj" "$scratch/part-copy.obj"
cmp "$scratch/part.obj" "$scratch/part-copy.obj" && echo "part-copy.obj is byte for byte part.obj"
# One process, so the open folder carries from call to call.
"$call" OpenFolder "$scratch" -- GetFile -- GetFile -- GetFile -- GetFile -- GetFile -- GetFile -- CloseFolder
"$call" EmptyFolder "$scratch"
echo "left in $scratch (dotted entries removed):"
ls -A "$scratch"

printf '\nDemo output is in %s\n' "$out"
