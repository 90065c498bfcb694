#!/usr/bin/env bash
# Registers Tarnwick.dll with the system's regsvr32, checks the class and the
# add-in's keys, unregisters it and checks that they are gone.
#
#   regsvr32_round_trip.sh WINE_RUN PREFIX DLL
set -euo pipefail
wine_run=$1
prefix=$2
dll=Z:$(printf '%s' "$3" | tr / '\\')

clsid='{6A4E3C52-8F1B-4C7D-9B2E-5D3A7F1C0B84}'
addin='HKCU\Software\Microsoft\VBA\VBE\6.0\Addins64\Tarnwick.Connect'

run() { "$wine_run" --prefix "$prefix" "$@"; }
fail() {
  echo "regsvr32 round trip: $*" >&2
  exit 1
}

run regsvr32 /s "$dll" || fail "registration failed ($?)"

server=$(run reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /ve) || fail "no InprocServer32 key"
grep -qF "$dll" <<<"$server" || fail "InprocServer32 is not $dll: $server"
grep -qi ThreadingModel <<<"$server" && fail "InprocServer32 has a ThreadingModel"
values=$(run reg query "$addin") || fail "no add-in key"
grep -Eq 'LoadBehavior +REG_DWORD +0x3' <<<"$values" || fail "LoadBehavior is not 3: $values"
grep -Eq 'CommandLineSafe +REG_DWORD +0x0' <<<"$values" || fail "CommandLineSafe is not 0"
grep -Eq 'FriendlyName +REG_SZ +Brelloc' <<<"$values" || fail "no FriendlyName"
progid=$(run reg query 'HKCR\Tarnwick.Connect\CLSID' /ve) || fail "no ProgID"
grep -qF "$clsid" <<<"$progid" || fail "ProgID names another class: $progid"

run regsvr32 /u /s "$dll" || fail "unregistration failed ($?)"

for key in "HKCR\\CLSID\\$clsid" 'HKCR\Tarnwick.Connect' 'HKCR\Tarnwick.Connect.1' \
  'HKCR\AppID\Tarnwick.DLL' "$addin"; do
  if run reg query "$key" >/dev/null 2>&1; then
    fail "$key is still there"
  fi
done
run reg query 'HKCR\CLSID' /ve >/dev/null 2>&1 || fail "HKCR\\CLSID is gone"
run reg query 'HKCR\AppID' /ve >/dev/null 2>&1 || fail "HKCR\\AppID is gone"
echo "regsvr32 round trip: passed"
