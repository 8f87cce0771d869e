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

printf '\nDemo output is in %s\n' "$out"
