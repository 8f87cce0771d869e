#!/usr/bin/env bash
# CI: the batch recipe of docs/batches.md over a folder of 300 small Qiv
# meshes, each different, some with spaces in their names, and one damaged.
# Every good mesh's OBJ must equal the one a single process makes call by
# call; the damaged one must fail the batch, be named, and leave no OBJ.
#   bash .ci/batch.sh [BUILD]      (default build; needs GNU parallel)
set -euo pipefail
cd "$(dirname "$0")/.."
call="$PWD/${1:-build}/tolvane-call"
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
work="$top/a folder"  # spaces in the job's own arguments too
mkdir -p "$work/meshes" "$work/objs" "$work/serial"

python3 - "$work" <<'EOF'
import os, struct, sys
sys.path.insert(0, "examples")
import make_qiv_examples as qiv
work = sys.argv[1]
cube = qiv.fine_cube()
with open(os.path.join(work, "faces.qiv"), "wb") as f:
    f.write(qiv.coarse_cube())
for i in range(300):
    mesh = bytearray(cube)
    struct.pack_into("<f", mesh, 48, i / 8)  # the first vertex's x: every mesh differs
    name = f"mesh {i:03}.qiv" if i % 10 == 0 else f"mesh{i:03}.qiv"
    with open(os.path.join(work, "meshes", name), "wb") as f:
        f.write(mesh)
with open(os.path.join(work, "meshes", "broken.qiv"), "wb") as f:
    f.write(cube[:40])
EOF

started=$(date +%s%N)
status=0
find "$work/meshes" -name '*.qiv' -print0 |
  TOLVANE_CALL="$call" BATCH_LOG="$work/batch.log" bash examples/batch.sh \
    getFaceIDs "$work/faces.qiv" 1 -- qivtoOBJ {} "$work/objs/{/.}.obj" 2> "$work/batch.err" || status=$?
echo "batch of 301 files: $(( ($(date +%s%N) - started) / 1000000 )) ms, exit status $status"

fail() {
  echo "batch.sh: $*" >&2
  tr '\r' '\n' < "$work/batch.err" | grep -v '%' | tail -n 20 >&2  # without the progress bar
  exit 1
}
[ "$status" -eq 1 ] || fail "expected one failed job, exit status $status"
grep -q 'broken\.qiv.*qivtoOBJ = -1761' "$work/batch.log" || fail "the damaged mesh is not in the log"
grep -q 'broken\.qiv' "$work/batch.err" || fail "the damaged mesh is not reported"
[ ! -e "$work/objs/broken.obj" ] || fail "the damaged mesh left an OBJ"

# The same exports in one process, call by call: face IDs are read again
# before every export, as the export uses them up.
for mesh in "$work"/meshes/mesh*.qiv; do
  name=$(basename "$mesh" .qiv)
  printf "getFaceIDs '%s' 1\nqivtoOBJ '%s' '%s'\n" "$work/faces.qiv" "$mesh" "$work/serial/$name.obj"
done | "$call" -q -f - > /dev/null
[ "$(ls "$work/objs" | wc -l)" -eq 300 ] || fail "expected 300 OBJ files, found $(ls "$work/objs" | wc -l)"
diff -r "$work/objs" "$work/serial" > /dev/null || fail "an OBJ differs from the one-process export"
echo "300 OBJ files, each equal to its one-process export"
