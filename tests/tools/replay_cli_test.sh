#!/usr/bin/env bash
# replay_cli_test.sh REPLAY_BINARY EXAMPLES_DIR
# Runs tarnwick-replay end to end: the worked example, its JSON report, input
# encodings, and one bad input of each kind (exit 2, nothing on stdout).
set -uo pipefail
replay="$1"
examples="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../check.sh"

# The worked example: '' on line 10 above Add, caret at 10:3, one apostrophe.
out="$("$replay" "$examples/worked-example.bas" --caret 10:3 --keys "'")"
expected="$(sed -n 1,9p "$examples/worked-example.bas"
cat <<'TEMPLATE'
''' <summary>
''' 
''' </summary>
''' <param name="a"></param>
''' <param name="b"></param>
''' <returns></returns>
''' <remarks></remarks>
TEMPLATE
sed -n '11,$p' "$examples/worked-example.bas")"
[ "$out" = "$expected" ]
check "worked example text" $? "$(diff <(echo "$expected") <(echo "$out"))"

json="$("$replay" "$examples/worked-example.bas" --caret 10:3 --keys "'" --json)"
grep -q '"caret":\[11,5\],"selection":\[11,5,11,5\]' <<<"$json"
check "worked example caret in JSON" $? "$json"
echo "$json" | grep -Eq '"keys":\[\{"key":"'"'"'","consumed":true,"editorCalls":[1-9][0-9]*\}\]\}$'
check "worked example keystroke report" $? "$json"
grep -qF "\"''' <param name=\\\"a\\\"></param>\"" <<<"$json"
check "JSON escapes quotes" $? "$json"

# CRLF line ends and a BOM are read; output has LF line ends and no BOM.
printf '\xEF\xBB\xBFDim a\r\nSub S()\r\nEnd Sub\r\n' > "$work/crlf.bas"
out="$("$replay" "$work/crlf.bas" --caret 1:6 --keys 'x' | od -An -c | tr -s ' ')"
[ "$out" = "$(printf 'Dim ax\nSub S()\nEnd Sub\n' | od -An -c | tr -s ' ')" ]
check "CRLF and BOM input" $? "$out"

# JSON escaping of control characters, backslashes and non-ASCII text.
printf 'x\ty\\\n' > "$work/escape.bas"
json="$("$replay" "$work/escape.bas" --caret 1:1 --keys '{Ime é}' --json)"
grep -qF '"lines":["éx\ty\\"]' <<<"$json"
check "JSON escapes tab, backslash; writes UTF-8" $? "$json"
grep -qF '{"key":"{Ime é}","consumed":true,"editorCalls":4}' <<<"$json"
check "JSON key notation" $? "$json"

# Bad input: exit status 2, one message on stderr, nothing on stdout.
printf 'ok\n\xC3(\n' > "$work/bad-utf8.bas"
bad() {  # bad NAME WORD-IN-MESSAGE ARGS...
  local name="$1" word="$2"
  shift 2
  local stdout stderr status
  stdout="$("$replay" "$@" 2>"$work/stderr")"
  status=$?
  stderr="$(cat "$work/stderr")"
  [ "$status" -eq 2 ] && [ -z "$stdout" ] && grep -q -- "$word" <<<"$stderr"
  check "bad input: $name" $? "status $status, stdout '$stdout', stderr '$stderr'"
}
bad "unreadable file" "cannot read" "$work/missing.bas" --caret 1:1 --keys x
bad "invalid UTF-8 file" "invalid UTF-8" "$work/bad-utf8.bas" --caret 1:1 --keys x
bad "unknown notation" "unknown key {Home}" "$examples/worked-example.bas" --caret 1:1 --keys '{Home}'
bad "unterminated notation" "unterminated" "$examples/worked-example.bas" --caret 1:1 --keys '{Tab'
bad "caret line outside" "line 99 is outside" "$examples/worked-example.bas" --caret 99:1 --keys x
bad "caret column outside" "column 40 is outside" "$examples/worked-example.bas" --caret 1:40 --keys x
bad "malformed caret" "L:C" "$examples/worked-example.bas" --caret 3 --keys x
bad "missing --keys" "--keys" "$examples/worked-example.bas" --caret 1:1
bad "unknown option" "unknown option" "$examples/worked-example.bas" --caret 1:1 --keys x --fast
bad "no module file" "no module file" --caret 1:1 --keys x

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
