#!/usr/bin/env bash
# doc_office_cli_test.sh [RUNNER...] DOC_TEST_WORKBOOK TARNWICK_DOC
# The program on a workbook that doc_test_workbook writes: natively, or in the
# Windows build both under Wine (RUNNER is then scripts/wine-run.sh --prefix
# DIR). Checks the messages' names and lines, export and the xml of what it
# wrote, sync --write's refusal, and a file that holds no project.
set -uo pipefail
runner=("${@:1:$#-2}")
generator="${*: -2:1}"
doc=("${runner[@]}" "${*: -1}")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2

source "$(dirname "${BASH_SOURCE[0]}")/../check.sh"

"${runner[@]}" "$generator" Book.xlsm
check "the workbook is written" $? ""

out="$("${doc[@]}" check Book.xlsm 2>err | tr -d '\r')"
status=$?
[ "$status" -eq 1 ] && grep -qxF 'Book.xlsm/Calc.bas:3: TWD013 Function Sum has no <returns>' <<<"$out" &&
  grep -qxF 'Book.xlsm/Account.cls:2: TWD011 Sub Deposit: parameter "amount" has no <param>' <<<"$out"
check "check names each module and the editor's line" $? "status $status: $out $(cat err)"

"${doc[@]}" export --out exported Book.xlsm >out 2>err
status=$?
[ "$status" -eq 0 ] && [ -f exported/Calc.bas ] && [ -f exported/Entry.frm.bas ] &&
  [ "$(head -c 19 exported/Account.cls | od -An -c | tr -d ' \n')" = 'VERSION1.0CLASS\r\n' ] &&
  grep -q 'Book.xlsm/Entry.frm: note: its code only went to' err
check "export writes the modules, a class under its header" $? "status $status: $(cat err)"

"${doc[@]}" xml Book.xlsm >book.xml 2>err &&
  "${doc[@]}" xml --project Ledger exported/Calc.bas exported/Account.cls exported/Entry.frm.bas \
    >files.xml 2>>err
status=$?
[ "$status" -eq 0 ] && grep -q '<name>Ledger</name>' book.xml && cmp -s book.xml files.xml
check "xml of the exported files is that of the workbook" $? "status $status: $(cat err)"

cp Book.xlsm before.xlsm
"${doc[@]}" sync --write Book.xlsm >out 2>err
status=$?
[ "$status" -eq 2 ] && grep -q '^Book.xlsm: error: Tarnwick never writes into an Office file' err &&
  cmp -s Book.xlsm before.xlsm
check "sync --write leaves the workbook alone, exit 2" $? "status $status: $(cat err)"

printf 'PK\005\006%018d' 0 | tr 0 '\0' >Empty.xlsm
"${doc[@]}" xml --out empty.xml Empty.xlsm >out 2>err
status=$?
[ "$status" -eq 2 ] && [ ! -e empty.xml ] && [ "$(wc -l <err)" -eq 1 ] &&
  grep -q '^Empty.xlsm: error: ' err
check "a zip that is no package: one line, exit 2, nothing written" $? "status $status: $(cat err)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
