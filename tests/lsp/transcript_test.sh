#!/usr/bin/env bash
# transcript_test.sh DIR PROGRAM [RUNNER...]
# Plays each recorded exchange DIR/*.txt to the language server PROGRAM (run
# through RUNNER, e.g. "wine-run.sh --prefix P", which takes --stdin FILE) and
# compares what it answers. A transcript's lines:
#   > JSON        a message from the client, framed as it stands
#   >> TEXT       raw bytes for the server, printf %b escapes (\r, \n)
#   < JSON        the next message the server must send, exactly (its keys
#                 sorted, no spaces; @VERSION@ stands for the program's version)
#   = CODE        the exit code the session must end with
#   # ...         a comment; blank lines are ignored
set -uo pipefail
export LC_ALL=C
dir=$1
program=$2
shift 2
runner=("$@")
source "$(dirname "$0")/../check.sh"

run() { # run INPUT OUTPUT
  if [ ${#runner[@]} -gt 0 ]; then
    "${runner[@]}" --stdin "$1" "$program" >"$2" 2>/dev/null
  else
    "$program" <"$1" >"$2" 2>/dev/null
  fi
}

version=$("${runner[@]}" "$program" --version | tr -d '\r' | sed -n 's/^tarnwick-lsp //p')

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for transcript in "$dir"/*.txt; do
  name=$(basename "$transcript" .txt)
  input=$work/$name.in
  : >"$input"
  expected=()
  code=0
  while IFS= read -r line || [ -n "$line" ]; do
    case $line in
      '>> '*) printf '%b' "${line#>> }" >>"$input" ;;
      '> '*) body=${line#> }; printf 'Content-Length: %d\r\n\r\n%s' "${#body}" "$body" >>"$input" ;;
      '< '*) body=${line#< }; expected+=("${body//@VERSION@/$version}") ;;
      '= '*) code=${line#= } ;;
    esac
  done <"$transcript"

  output=$work/$name.out
  run "$input" "$output"
  status=$?
  text=$(cat "$output"; printf x)
  text=${text%x}
  answers=()
  while [[ $text =~ ^Content-Length:\ ([0-9]+)$'\r\n\r\n' ]]; do
    header=${#BASH_REMATCH[0]}
    length=${BASH_REMATCH[1]}
    answers+=("${text:header:length}")
    text=${text:header+length}
  done

  problems=""
  [ -z "$text" ] || problems+="unframed output: ${text:0:200}"$'\n'
  [ "$status" -eq "$code" ] || problems+="exit code $status, expected $code"$'\n'
  count=${#expected[@]}
  [ ${#answers[@]} -gt "$count" ] && count=${#answers[@]}
  for ((i = 0; i < count; i++)); do
    want=${expected[i]-(nothing)}
    got=${answers[i]-(nothing)}
    [ "$want" = "$got" ] || problems+="message $((i + 1)):"$'\n'"  expected $want"$'\n'"  got      $got"$'\n'
  done
  [ -z "$problems" ]
  check "transcript $name" $? "$problems"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
