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

# @@groups@@

# @@image@@

# @@files@@

printf '\nDemo output is in %s\n' "$out"
