#!/usr/bin/env bash
# Runs the same tolvane-call job on every file of a list, one tolvane-call
# process per file, several at once, with GNU parallel's progress bar. Each
# process loads the library afresh, so what one job leaves in the library's
# process-wide state (face IDs, group list, name set, open folder) never
# reaches another.
#
# usage: find FOLDER -name '*.qiv' -print0 | examples/batch.sh CALL [ARG...] [-- CALL [ARG...]]...
#
# In the arguments {} is the file, {/} its name, {/.} its name without
# extension, {.} its path without extension (GNU parallel's replacement
# strings). Every job's lines go to the log, each after its file's name and
# a tab, in the order of the list. The exit status is 0 when every job
# succeeded, else the number of failed jobs (at most 101).
#
# Environment: TOLVANE_CALL the tolvane-call to run (default: the one on
# PATH, else build/tolvane-call of this source tree); BATCH_LOG the log
# (default batch.log); BATCH_JOBS jobs at once (default: one per core).
set -uo pipefail

if [ $# -eq 0 ]; then
  sed -n 's/^# usage: /usage: /p' "$0" >&2
  exit 2
fi
call=${TOLVANE_CALL:-$(command -v tolvane-call || echo "$(dirname "$0")/../build/tolvane-call")}
log=${BATCH_LOG:-batch.log}
jobs=${BATCH_JOBS:-100%}
if ! command -v parallel > /dev/null; then
  echo "batch.sh: GNU parallel is not installed (Debian package parallel)" >&2
  exit 2
fi

# -0: names end in a zero byte, so any name works; -q: every argument is
# passed as it is, the replacement strings quoted for the shell.
parallel -0 -q --bar --jobs "$jobs" --keep-order --tag "$call" "$@" > "$log"
failed=$?
if [ "$failed" -ne 0 ]; then
  echo "batch.sh: $failed job(s) failed; their lines in $log:" >&2
  grep -F '(failed' "$log" >&2
fi
exit "$failed"
