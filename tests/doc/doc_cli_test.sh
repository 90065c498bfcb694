#!/usr/bin/env bash
# doc_cli_test.sh EXAMPLES_DIR [RUNNER...] TARNWICK_DOC
# Runs the program itself: natively, or in the Windows build tarnwick-doc.exe
# under Wine (RUNNER is then scripts/wine-run.sh --prefix DIR). Checks the
# examples, a sync with --write --descriptions on a CR LF file, and a missing
# file.
set -uo pipefail
examples="$1"
shift
doc=("$@")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../check.sh"

out="$("${doc[@]}" check "$examples/" 2>"$work/err" | tr -d '\r')"
status=$?
[ "$status" -eq 1 ] && grep -qxF "$examples/Geometry.bas:18: TWD001 Function Add is public and has no ''' block" <<<"$out"
check "check on the examples" $? "status $status: $out $(cat "$work/err")"

printf "Attribute VB_Name = \"Calc\"\r\n''' <summary>Sums.</summary>\r\n''' <param name=\"b\">B.</param>\r\nPublic Function Sum(a, b) As Long\r\nEnd Function\r\n" >"$work/Calc.bas"
"${doc[@]}" sync --write --descriptions "$work/Calc.bas" >"$work/out" 2>&1
status=$?
expected="$(printf "Attribute VB_Name = \"Calc\"\r\n''' <summary>Sums.</summary>\r\n''' <param name=\"a\"></param>\r\n''' <param name=\"b\">B.</param>\r\n''' <returns></returns>\r\nPublic Function Sum(a, b) As Long\r\nAttribute Sum.VB_Description = \"Sums.\"\r\nEnd Function\r\n" | od -An -c)"
[ "$status" -eq 0 ] && [ "$(od -An -c <"$work/Calc.bas")" = "$expected" ] && ! ls "$work"/*.tmp >/dev/null 2>&1
check "sync --write --descriptions keeps CR LF and leaves no temporary file" $? "status $status: $(cat "$work/out")"

"${doc[@]}" xml --project Calc --out "$work/Calc.xml" "$work/Calc.bas" "$work/Missing.bas" >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 2 ] && grep -q "Missing.bas: error: cannot read the file" "$work/err" &&
  grep -qF '<member name="M:Calc.Calc.Sum(System.Object@,System.Object@)">' "$work/Calc.xml"
check "a missing file: exit 2, the other file documented" $? "status $status: $(cat "$work/err")"

# A file larger than any module or Office file is refused before it is read
# (a sparse file: it takes no disk).
truncate -s 1100M "$work/Huge.bas"
"${doc[@]}" check "$work/Huge.bas" >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 2 ] && grep -q "Huge.bas: error: the file is larger than 1 GiB" "$work/err"
check "a file over 1 GiB: one line, exit 2" $? "status $status: $(cat "$work/err")"
rm -f "$work/Huge.bas"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
