#!/usr/bin/env bash
# package_cli_test.sh PACKAGE_TOOL SOURCE_DIR
# tarnwick-package-registry's command line: a table from the real scripts, and
# each bad command line refused with its reason and the usage (exit 2, no file).
set -uo pipefail
tool="$1"
source_dir="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../check.sh"

inputs=(--scripts "$source_dir/addin/resources" --idl "$source_dir/addin/typelib/tarnwick.idl")
"$tool" --platform x64 "${inputs[@]}" --out "$work/table.idt"
check "a table from the add-in's scripts" $? ""
grep -q "Addins64" "$work/table.idt"
check "the table holds the add-in key" $? "$(head -5 "$work/table.idt")"

refused() {
  local name=$1 reason=$2
  shift 2
  rm -f "$work/refused.idt"
  stderr="$("$tool" "$@" 2>&1 >/dev/null)"
  status=$?
  [ "$status" -eq 2 ] && grep -qF -- "$reason" <<<"$stderr" && grep -q "^usage:" <<<"$stderr" &&
    [ ! -e "$work/refused.idt" ]
  check "refused: $name" $? "status $status, stderr '$stderr'"
}
refused "unknown option" "unknown option '--plattform'" --plattform x64 "${inputs[@]}" --out "$work/refused.idt"
refused "option without value" "--out needs a value" --platform x64 "${inputs[@]}" --out
refused "option given twice" "--platform given twice" --platform x64 --platform x86 "${inputs[@]}" --out "$work/refused.idt"
refused "required option missing" "--idl is required" --platform x64 --scripts "$source_dir/addin/resources" --out "$work/refused.idt"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
