#!/usr/bin/env bash
# The demo: Tarnwick.dll registered with regsvr32 in a Wine prefix of its own,
# and the editor host, which loads it as the editor does, playing a session
# into examples/Geometry.bas: the template typed with ''' above Add, Tab from
# tag to tag, Enter continuing the block, '>' closing a tag, and an
# input-method composition that commits the third apostrophe above Distance.
#
# Prints the module before and after with the transcript, saves a picture of
# the editor in build/demo.png, and fails unless the add-in was connected and
# the module came out as examples/Geometry.expected.bas. TARNWICK_BUILD picks
# the build: build/win64 by default, build/windows-x86 for the x86 one.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TARNWICK_BUILD:-build/win64}
host=$build/simulator/host/tarnwick-host.exe
dll=$build/bin/Tarnwick.dll
prefix=build/demo/wineprefix
out=build/demo/Geometry.bas
picture=build/demo.png
module=examples/Geometry.bas
keys="$(cat examples/Geometry.keys)"
run() { scripts/wine-run.sh --prefix "$prefix" "$@"; }

for file in "$host" "$dll"; do
  [ -f "$file" ] || { echo "demo: $file is missing; build $build first" >&2; exit 1; }
done
mkdir -p build/demo
trap 'WINEPREFIX="$(realpath -m "$prefix")" /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT

numbered() { awk '{ printf "%4d | %s\n", NR, $0 }'; }

echo "== preparing the Wine prefix $prefix"
run
echo "== registering $dll"
run regsvr32 /s "Z:$(realpath "$dll" | tr / '\\')" >/dev/null

echo "== $module, before"
numbered <"$module"
echo
echo "== keys: $keys"
echo
echo "== transcript"
rm -f "$out" "$picture"
log=$(run "$host" --open "$(realpath "$module")" --script "$keys" --out "$(realpath -m "$out")" \
  --screenshot "$(realpath -m "$picture")")
printf '%s\n' "$log"
echo
echo "== after"
numbered <"$out"
echo
echo "== picture: $picture"

status=0
if ! grep -qx "add-in connected: Tarnwick.Connect" <<<"$log"; then
  echo "demo: FAILED: the add-in was not loaded" >&2
  status=1
fi
if ! diff -u examples/Geometry.expected.bas "$out"; then
  echo "demo: FAILED: the module differs from examples/Geometry.expected.bas" >&2
  status=1
fi
[ "$status" -eq 0 ] && echo "demo: the add-in was loaded and the module is as expected"
exit "$status"
