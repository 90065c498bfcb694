#!/usr/bin/env bash
# doc_sarif_test.sh TOOLS_DIR FIXTURES_DIR EXAMPLES_DIR TARNWICK_DOC
# check --format sarif on the formats' module (by a relative path whose
# folder name needs escaping in a URI) and on the examples (by an absolute
# one), validated by the SARIF multitool, which must report no error. The
# multitool is installed from npm into TOOLS_DIR when it is not there yet.
set -uo pipefail
tools="$1"
fixtures="$2"
examples="$3"
doc="$4"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../check.sh"

package=@microsoft/sarif-multitool-linux@5.7.0
multitool="$tools/node_modules/@microsoft/sarif-multitool-linux/Sarif.Multitool"
if [ ! -f "$multitool" ]; then
  if ! command -v npm >/dev/null; then
    echo "doc_sarif: npm is needed to install $package" >&2
    exit 1
  fi
  mkdir -p "$tools"
  npm install --prefix "$tools" --no-audit --no-fund --loglevel=error "$package" >&2 || exit 1
fi
# The package's install script makes it executable; npm may not have run it.
chmod u+x "$multitool"
export DOTNET_SYSTEM_GLOBALIZATION_INVARIANT=1 DOTNET_CLI_TELEMETRY_OPTOUT=1

# The validator's verdict: its error lines, and whether it finished.
validate() {
  "$multitool" validate "$1" >"$work/validation" 2>&1
  grep -q "Analysis completed successfully" "$work/validation" || return 2
  ! grep -E ": error [A-Z]+[0-9]+:" "$work/validation"
}

mkdir -p "$work/50% done, really"
cp "$fixtures/Report.bas" "$work/50% done, really/"
(cd "$work" && "$doc" check --format sarif "50% done, really/Report.bas" "$examples" >report.sarif)
status=$?
[ "$status" -eq 1 ] && [ "$(grep -c '"ruleId"' "$work/report.sarif")" -gt 4 ]
check "check --format sarif finds the formats' module and the examples" $? "status $status"

validate "$work/report.sarif"
check "the SARIF multitool reports no error" $? "$(cat "$work/validation")"

# The same validation catches a broken log: a line 0 and a URI with a space.
sed -e 's/"startLine": 5/"startLine": 0/' -e 's|50%25%20done|50 done|' "$work/report.sarif" >"$work/broken.sarif"
! validate "$work/broken.sarif" >/dev/null
check "the validation finds the errors of a broken log" $? "$(cat "$work/validation")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
