#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest (the cross build's emulator).
#
#   wine-run.sh --prefix DIR [--stdin FILE] PROGRAM.exe [ARGS...]
#   wine-run.sh --prefix DIR             (only make the prefix and start its server)
#
# The program reads FILE as its standard input (--stdin), /dev/null otherwise.
#
# - The program runs in a private, headless prefix DIR (created on first use,
#   under a lock, with the null graphics driver and no crash dialog).
# - A persistent wineserver and Wine's own services are started first with
#   their output on /dev/null, and the program's output goes to files that are
#   printed afterwards. Otherwise Wine's background processes inherit CTest's
#   pipe and CTest waits for them.
# - An exit status of 0 whose error output reports an unhandled exception is
#   turned into a failure: Wine sometimes exits 0 after a crash.
#
# The prefix's wineserver stays up between programs; end it afterwards with
#   WINEPREFIX=DIR /usr/lib/wine/wineserver -k
set -euo pipefail

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}

if [ "${1:-}" != "--prefix" ] || [ $# -lt 2 ]; then
  echo "usage: $0 --prefix DIR [PROGRAM [ARGS...]]" >&2
  exit 2
fi
prefix=$(realpath -m "$2")
shift 2
input=/dev/null
if [ "${1:-}" = "--stdin" ] && [ $# -ge 2 ]; then
  input=$2
  shift 2
fi

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINESERVER
export DISPLAY=

# Every Wine process below gets /dev/null or a file as its standard streams,
# never this script's (CTest's pipe), and never the lock's descriptor.
create_prefix() {
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
  touch "$prefix/.tarnwick-ready"
}

start_server() {
  # Fails when the prefix's server is already up, and then nothing is to do.
  if "$WINESERVER" -p </dev/null >/dev/null 2>&1; then
    # Starts services, the device manager and friends on /dev/null.
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  fi
}

mkdir -p "$(dirname "$prefix")"
{
  flock 9
  if [ ! -e "$prefix/.tarnwick-ready" ]; then
    # A half-made prefix from an interrupted run is made again from scratch.
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    rm -rf "$prefix"
    create_prefix 9>&-
  fi
  start_server 9>&-
} 9>"$prefix.lock"
[ $# -eq 0 ] && exit 0

out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

status=0
"$WINE" "$@" <"$input" >"$out" 2>"$err" || status=$?
# Once in a few hundred runs on a busy machine, Wine fails to start a program
# and says nothing at all. Every test program prints before it can fail, so a
# failure with no output is Wine's, and the program is run once more.
if [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
  echo "wine-run: $1 exited with status $status before printing anything; running it again" >&2
  status=0
  "$WINE" "$@" <"$input" >"$out" 2>"$err" || status=$?
fi
cat "$out"
cat "$err" >&2

if [ "$status" -eq 0 ] && grep -q 'wine: Unhandled' "$err"; then
  echo "wine-run: the program crashed but exited with status 0" >&2
  status=1
fi
exit "$status"
