#!/usr/bin/env bash
# Opens examples/Geometry.bas (or the modules given) in the editor host on the
# X display, with Tarnwick.dll registered in a Wine prefix of its own, for a
# person to type into. Close the window to end.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TARNWICK_BUILD:-build/win64}
host=$build/simulator/host/tarnwick-host.exe
dll=$build/bin/Tarnwick.dll
prefix=build/play/wineprefix
[ -n "${DISPLAY:-}" ] || { echo "play: no X display (DISPLAY is empty)" >&2; exit 1; }
for file in "$host" "$dll"; do
  [ -f "$file" ] || { echo "play: $file is missing; build the win64 preset first" >&2; exit 1; }
done
run() { scripts/wine-run.sh --prefix "$prefix" "$@"; }
windows_path() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }

# The prefix is made headless like every other; registration runs headless,
# and only the host itself gets the X11 driver.
run
run reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
run regsvr32 /s "$(windows_path "$dll")" >/dev/null
run reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null
modules=()
for file in "${@:-examples/Geometry.bas}"; do modules+=(--open "$(realpath "$file")"); done
status=0
WINEPREFIX="$(realpath "$prefix")" WINEDEBUG=-all /usr/lib/wine/wine64 "$host" "${modules[@]}" ||
  status=$?
WINEPREFIX="$(realpath "$prefix")" /usr/lib/wine/wineserver -k 2>/dev/null || true
exit "$status"
