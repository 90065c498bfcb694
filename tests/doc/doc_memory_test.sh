#!/usr/bin/env bash
# doc_memory_test.sh TARNWICK_DOC
# Under a limit on its memory, a file the program cannot hold is reported
# against its name, and the other files are still done. Native only.
set -uo pipefail
doc="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../check.sh"

truncate -s 900M "$work/Big.bas" # sparse: it takes no disk
printf 'Attribute VB_Name = "Good"\r\n' >"$work/Good.bas"
printf "''' <summary>Sums.</summary>\r\nPublic Sub Sum()\r\nEnd Sub\r\n" >>"$work/Good.bas"
(
  ulimit -v 600000
  "$doc" xml --project P --out "$work/P.xml" "$work/Big.bas" "$work/Good.bas"
) >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 2 ] && [ "$(cat "$work/err")" = "$work/Big.bas: error: not enough memory to read the file" ] &&
  grep -qF '<member name="M:P.Good.Sum">' "$work/P.xml"
check "out of memory on one file: its line, the other file documented" $? \
  "status $status: $(cat "$work/err")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
