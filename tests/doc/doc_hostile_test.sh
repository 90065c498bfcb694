#!/usr/bin/env bash
# doc_hostile_test.sh TARNWICK_DOC
# Inputs that are not what their names say, and a run short of memory: each
# gets its own line against its file, and the other files are still done.
# Native only (ulimit, mkfifo).
set -uo pipefail
doc="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../check.sh"

printf 'Attribute VB_Name = "Good"\r\n' >"$work/Good.bas"
printf "''' <summary>Sums.</summary>\r\nPublic Sub Sum()\r\nEnd Sub\r\n" >>"$work/Good.bas"

# A file named like an Office file that is none, and a pipe named like a module.
: >"$work/book.xlsm"
printf 'Sub A()\r\nEnd Sub\r\n' >"$work/text.xls"
mkfifo "$work/Pipe.bas"
timeout 60 "$doc" check "$work/book.xlsm" "$work/text.xls" "$work/Pipe.bas" "$work/Good.bas" \
  >"$work/out" 2>"$work/err"
status=$?
expected="$work/book.xlsm: error: not an Office file: it is empty
$work/text.xls: error: not an Office file: neither a zip package nor a compound file
$work/Pipe.bas: error: cannot read the file: it is not a regular file (a device, a pipe or a socket)"
[ "$status" -eq 2 ] && [ "$(cat "$work/err")" = "$expected" ]
check "misnamed and irregular files: one line each, exit 2" $? "status $status: $(cat "$work/err")"

# Text is read no further than a module's cap; a zip as far as the file cap.
truncate -s 40M "$work/Long.bas" # sparse: it takes no disk
printf 'PK\003\004' >"$work/Big.xlsm"
truncate -s 900M "$work/Big.xlsm"
(
  ulimit -v 600000
  "$doc" xml --project P --out "$work/P.xml" "$work/Long.bas" "$work/Big.xlsm" "$work/Good.bas"
) >"$work/out" 2>"$work/err"
status=$?
expected="$work/Long.bas: error: the file is larger than 32 MiB: no module or Office file is
$work/Big.xlsm: error: not enough memory to read the file"
[ "$status" -eq 2 ] && [ "$(cat "$work/err")" = "$expected" ] &&
  grep -qF '<member name="M:P.Good.Sum">' "$work/P.xml"
check "out of memory on one file: its line, the other file documented" $? \
  "status $status: $(cat "$work/err")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
