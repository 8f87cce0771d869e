#!/usr/bin/env bash
# CI: every in-place rewrite of a user's only copy reaches the disk before it
# takes the file's name: under strace, the new file is fsync'ed and closed
# before the rename over the old name, and the folder is fsync'ed after it.
#   bash .ci/durability.sh [BUILD]      (default build; needs strace)
set -euo pipefail
cd "$(dirname "$0")/.."
call="$PWD/${1:-build}/tolvane-call"
ex="$PWD/examples"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$ex"/images/{badge,top,bottom,tile}.psd "$ex"/part.qiv "$ex"/part.Qit .
printf 'v 1 2 3\nv 4 5 6\nf 1 2 1\n' > swap.obj
printf 'v 7 8 9\nv 1 1 1\nf 1 2 1\n' > from.obj

# check NAME ARGS...: runs one call under strace and checks the order of the
# system calls that replace ./NAME.
check() {
  local name=$1; shift
  strace -f -qq -o trace.txt -e trace=openat,fsync,fdatasync,close,rename,renameat,renameat2 \
    "$call" -q "$@" > /dev/null || { echo "durability: $* failed"; exit 1; }
  python3 - "$PWD/$name" trace.txt "$*" <<'PY'
import re, sys
target, trace, what = sys.argv[1], sys.argv[2], sys.argv[3]
dirs, synced, closed_after_sync, renamed = set(), set(), set(), False
for line in open(trace):
    m = re.search(r'openat\(.*O_DIRECTORY.*\)\s*=\s*(\d+)', line)
    if m: dirs.add(m.group(1)); continue
    m = re.search(r'\bf(?:data)?sync\((\d+)\)\s*=\s*0', line)
    if m:
        fd = m.group(1)
        if fd in dirs and renamed: print("durability: ok:", what); sys.exit(0)
        if fd not in dirs: synced.add(fd)
        continue
    m = re.search(r'\bclose\((\d+)\)\s*=\s*(-?\d+)', line)
    if m:
        fd = m.group(1)
        dirs.discard(fd)
        if fd in synced and m.group(2) == '0': closed_after_sync.add(fd)
        continue
    m = re.search(r'rename(?:at2?)?\(.*"([^"]+)"(?:, \w+)?\)\s*=\s*0', line)
    if m and m.group(1).rsplit("/", 1)[-1] == target.rsplit("/", 1)[-1]:
        if not closed_after_sync: sys.exit("durability: %s: renamed over the old file before fsync and close" % what)
        renamed = True
sys.exit("durability: %s: %s" % (what, "no fsync of the folder after the rename" if renamed else "no rename seen"))
PY
}

check badge.psd SetInColor 14425630 -- SwapColorsPSD badge.psd 65280
check badge.psd SetInColor 16777215 -- MakeStencilPSD badge.psd 255
check top.psd MergePSDfiles top.psd 16711935 bottom.psd
cp tile.psd edge.psd
check edge.psd HealPSDfiles edge.psd 0 tile.psd
check badge.psd CreateThumbnail badge.psd 16
check part.qiv SwapVertices_Qiv part.Qit part.qiv
check swap.obj SwapVertices from.obj swap.obj
