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
