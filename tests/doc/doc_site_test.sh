#!/usr/bin/env bash
# doc_site_test.sh SOURCE_DIR TARNWICK_DOC
# markdown --out on the examples, then `mkdocs build --strict` on the site it
# wrote: no warning, no broken link, a page per module. mkdocs is installed
# from Debian's packages when it is missing.
set -uo pipefail
root="$1"
doc="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../check.sh"

"$root/scripts/ensure-packages.sh" mkdocs >&2 || exit 1

"$doc" markdown --project Examples --out "$work/site" "$root/examples/" >"$work/out" 2>&1
status=$?
[ "$status" -eq 0 ] && [ -f "$work/site/mkdocs.yml" ] && [ -f "$work/site/docs/index.md" ]
check "markdown writes mkdocs.yml and the pages" $? "status $status: $(cat "$work/out")"

mkdocs build --strict -f "$work/site/mkdocs.yml" -d "$work/html" >"$work/build" 2>&1
status=$?
[ "$status" -eq 0 ] && ! grep -qE "WARNING|ERROR" "$work/build"
check "mkdocs build --strict builds the site without a warning" $? "status $status: $(cat "$work/build")"

pages=0
for module in Account Geometry; do
  grep -q "<h1 id=\"$(tr 'A-Z' 'a-z' <<<"$module")\">$module</h1>" "$work/html/$module/index.html" &&
    grep -q "href=\"$module/\"" "$work/html/index.html" && pages=$((pages + 1))
done
[ "$pages" -eq 2 ]
check "a page per module, linked from the index" $? "$(ls -R "$work/html" | head -40)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
