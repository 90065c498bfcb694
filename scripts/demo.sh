#!/usr/bin/env bash
# Plays a short editing session into examples/Geometry.bas with the simulated
# editor and shows the module before and after: the template typed with ''',
# Tab from tag to tag, Enter continuing the block and '>' closing a tag.
set -euo pipefail
cd "$(dirname "$0")/.."
replay="${TARNWICK_REPLAY:-build/native/tools/replay/tarnwick-replay}"
module=examples/Geometry.bas
keys="'''Adds two numbers.{Tab}The first addend.{Tab}The second addend.{Tab}The sum.{Tab}{Tab}{Enter}<example>Add(2, 3) returns 5."

show() {  # show FIRST LAST: numbered lines of stdin
  awk -v first="$1" -v last="$2" 'NR >= first && NR <= last { printf "%4d | %s\n", NR, $0 }'
}

echo "== $module, lines 15-20, before (caret at 17:1)"
show 15 20 < "$module"
echo
echo "== keys: $keys"
echo
echo "== after"
"$replay" "$module" --caret 17:1 --keys "$keys" | show 15 28
echo
echo "== the same session, keystroke by keystroke (consumed, code-pane calls)"
"$replay" "$module" --caret 17:1 --keys "$keys" --json |
  grep -o '{"key":"[^"]*\(\\"[^"]*\)*","consumed":[a-z]*,"editorCalls":[0-9]*}' |
  sed -E 's/\{"key":"(.*)","consumed":([a-z]+),"editorCalls":([0-9]+)\}/\1\t\2\t\3/' |
  awk -F'\t' '$2 == "true" { printf "  %-8s consumed, %s calls\n", $1, $3 }'
