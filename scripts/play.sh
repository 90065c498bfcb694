#!/usr/bin/env bash
# Opens examples/Geometry.bas (or the modules given) in the editor host on the
# X display, with Tarnwick.dll registered in a Wine prefix of its own, for a
# person to type into. Close the window to end.
#
# TARNWICK_BUILD picks the build (build/win64 by default; build/windows-x86 for
# the x86 one, whose host and DLL run under WoW64 in the same prefix).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TARNWICK_BUILD:-build/win64}
host=$build/simulator/host/tarnwick-host.exe
dll=$build/bin/Tarnwick.dll
prefix=build/play/wineprefix
wineserver=/usr/lib/wine/wineserver
[ -n "${DISPLAY:-}" ] || { echo "play: no X display (DISPLAY is empty)" >&2; exit 1; }
for file in "$host" "$dll"; do
  [ -f "$file" ] || { echo "play: $file is missing; build $build first" >&2; exit 1; }
done
run() { scripts/wine-run.sh --prefix "$prefix" "$@"; }
windows_path() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }
end_server() {
  WINEPREFIX="$(realpath "$prefix")" "$wineserver" -k 2>/dev/null || true
  WINEPREFIX="$(realpath "$prefix")" "$wineserver" -w 2>/dev/null || true
}

# The prefix is made headless like every other, and registration runs there
# headless. Wine's desktop starts with the prefix's server and keeps the
# graphics driver it started with; every program of that server then draws
# through the desktop's driver, whatever the registry says by then. So the
# server is ended, and waited for, before the host starts it afresh with the
# X11 driver: a host started beside a server still going down may find no
# desktop to create its frame on.
run
run reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
run regsvr32 /s "$(windows_path "$dll")" >/dev/null
run reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null
end_server

modules=()
for file in "${@:-examples/Geometry.bas}"; do modules+=(--open "$(realpath "$file")"); done
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
play() {
  local status=0
  WINEPREFIX="$(realpath "$prefix")" WINEDEBUG=-all /usr/lib/wine/wine64 "$host" "${modules[@]}" \
    2>"$errors" || status=$?
  cat "$errors" >&2
  return "$status"
}
status=0
play || status=$?
# The host's first program of the new server starts Wine's desktop, and waits
# for it only so long; on a slow first start the frame has no desktop yet.
# By the second try the desktop is up.
if [ "$status" -ne 0 ] && grep -q "cannot create the frame window" "$errors"; then
  echo "play: the desktop was not ready; starting the host once more" >&2
  status=0
  play || status=$?
fi
end_server
exit "$status"
