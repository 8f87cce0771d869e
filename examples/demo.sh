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

# @@files@@

printf '\nDemo output is in %s\n' "$out"
