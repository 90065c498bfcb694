#!/usr/bin/env bash
# Registers Tarnwick.dll with the system's regsvr32, checks the class and the
# add-in's keys, unregisters it and checks that they are gone. Then registers
# and unregisters it once more beside a registration of the other bitness, which
# must come out untouched.
#
#   regsvr32_round_trip.sh WINE_RUN PREFIX DLL PLATFORM
#
# PLATFORM is the DLL's, x64 or x86. Each bitness registers its class in its
# own registry view (a 32-bit regsvr32 lands in the 32-bit view of 64-bit
# Windows) and its add-in under the key its editor reads; the ProgIDs and the
# AppID are shared between the views.
set -euo pipefail
wine_run=$1
prefix=$2
dll=Z:$(printf '%s' "$3" | tr / '\\')
platform=$4
case "$platform" in
  x64) view=64 other_view=32 addins=Addins64 other_addins=Addins ;;
  x86) view=32 other_view=64 addins=Addins other_addins=Addins64 ;;
  *) echo "regsvr32 round trip: unknown platform $platform" >&2 && exit 2 ;;
esac

clsid='{6A4E3C52-8F1B-4C7D-9B2E-5D3A7F1C0B84}'
appid='{9E5C2B18-7A43-4D91-B6F0-3C8A1E5D7F29}'
vbe='HKCU\Software\Microsoft\VBA\VBE\6.0'
addin="$vbe\\$addins\\Tarnwick.Connect"

run() { "$wine_run" --prefix "$prefix" "$@"; }
# reg VIEW ARGS...: Wine's reg.exe on the registry view VIEW (64 or 32). Each
# view is read by the reg.exe of its own bitness where 32-bit programs run:
# the 64-bit one with /reg:32 misses the keys that the views share (the
# ProgIDs) as a 32-bit program wrote them. Elsewhere only /reg:32 is left.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  reg() {
    local view=$1
    shift
    if [ "$view" = 32 ]; then
      run 'C:\windows\syswow64\reg.exe' "$@"
    else
      run reg "$@" /reg:64
    fi
  }
else
  reg() {
    local view=$1
    shift
    run reg "$@" /reg:"$view"
  }
fi
fail() {
  echo "regsvr32 round trip ($platform): $*" >&2
  exit 1
}

run regsvr32 /s "$dll" || fail "registration failed ($?)"

server=$(reg $view query "HKCR\\CLSID\\$clsid\\InprocServer32" /ve) ||
  fail "no InprocServer32 key in the $view-bit view"
grep -qF "$dll" <<<"$server" || fail "InprocServer32 is not $dll: $server"
grep -qi ThreadingModel <<<"$server" && fail "InprocServer32 has a ThreadingModel"
if reg $other_view query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1; then
  fail "the class is registered in the $other_view-bit view too"
fi
values=$(run reg query "$addin") || fail "no add-in key under $addins"
grep -Eq 'LoadBehavior +REG_DWORD +0x3' <<<"$values" || fail "LoadBehavior is not 3: $values"
grep -Eq 'CommandLineSafe +REG_DWORD +0x0' <<<"$values" || fail "CommandLineSafe is not 0"
grep -Eq 'FriendlyName +REG_SZ +Brelloc' <<<"$values" || fail "no FriendlyName"
grep -Eq "Description +REG_SZ +Brelloc VBA Addin for $platform" <<<"$values" ||
  fail "the description does not name $platform: $values"
if run reg query "$vbe\\$other_addins\\Tarnwick.Connect" >/dev/null 2>&1; then
  fail "the add-in is listed for the other editor, under $other_addins"
fi
progid=$(reg $view query 'HKCR\Tarnwick.Connect\CLSID' /ve) || fail "no ProgID"
grep -qF "$clsid" <<<"$progid" || fail "ProgID names another class: $progid"

run regsvr32 /u /s "$dll" || fail "unregistration failed ($?)"

for key in "HKCR\\CLSID\\$clsid" 'HKCR\Tarnwick.Connect' 'HKCR\Tarnwick.Connect.1' \
  'HKCR\AppID\Tarnwick.DLL' "HKCR\\AppID\\$appid"; do
  for v in 64 32; do
    if reg $v query "$key" >/dev/null 2>&1; then
      fail "$key is still there in the $v-bit view"
    fi
  done
done
if run reg query "$addin" >/dev/null 2>&1; then
  fail "$addin is still there"
fi
run reg query 'HKCR\CLSID' /ve >/dev/null 2>&1 || fail "HKCR\\CLSID is gone"
run reg query 'HKCR\AppID' /ve >/dev/null 2>&1 || fail "HKCR\\AppID is gone"

# The other bitness's registration, as its regsvr32 writes it: its class in the
# other view, the shared ProgIDs and AppID, and its add-in key.
other_dll='Z:\Program Files\Tarnwick\other\Tarnwick.dll'
other_keys=("HKCR\\CLSID\\$clsid /reg:$other_view" 'HKCR\Tarnwick.Connect /reg:64'
  'HKCR\Tarnwick.Connect.1 /reg:64' "HKCR\\AppID\\$appid /reg:64" 'HKCR\AppID\Tarnwick.DLL /reg:64'
  "$vbe\\$other_addins\\Tarnwick.Connect")
add() { run reg add "$@" /f >/dev/null || fail "cannot write the other registration: $*"; }
add "HKCR\\CLSID\\$clsid\\InprocServer32" /ve /d "$other_dll" /reg:$other_view
add "HKCR\\CLSID\\$clsid\\ProgID" /ve /d Tarnwick.Connect.1 /reg:$other_view
add 'HKCR\Tarnwick.Connect' /ve /d 'Connect Class' /reg:64
add 'HKCR\Tarnwick.Connect\CLSID' /ve /d "$clsid" /reg:64
add 'HKCR\Tarnwick.Connect\CurVer' /ve /d Tarnwick.Connect.1 /reg:64
add 'HKCR\Tarnwick.Connect.1' /ve /d 'Connect Class' /reg:64
add 'HKCR\Tarnwick.Connect.1\CLSID' /ve /d "$clsid" /reg:64
add "HKCR\\AppID\\$appid" /ve /d Tarnwick /reg:64
add 'HKCR\AppID\Tarnwick.DLL' /v AppID /d "$appid" /reg:64
add "$vbe\\$other_addins\\Tarnwick.Connect" /v LoadBehavior /t REG_DWORD /d 3
snapshot() {
  local key
  for key in "${other_keys[@]}"; do
    # shellcheck disable=SC2086  # the view option is a word of its own
    run reg query $key /s 2>&1 || true
  done
}
remove_other() {
  local key
  for key in "${other_keys[@]}"; do
    # shellcheck disable=SC2086
    run reg delete $key /f >/dev/null 2>&1 || true
  done
  reg $view delete 'HKCR\Tarnwick.Connect' /f >/dev/null 2>&1 || true
  reg $view delete 'HKCR\Tarnwick.Connect.1' /f >/dev/null 2>&1 || true
}
trap remove_other EXIT
before=$(snapshot)

run regsvr32 /s "$dll" || fail "registration beside the other failed ($?)"
reg $view query "HKCR\\CLSID\\$clsid\\InprocServer32" /ve | grep -qF "$dll" ||
  fail "the class is not registered in the $view-bit view beside the other"
run regsvr32 /u /s "$dll" || fail "unregistration beside the other failed ($?)"

after=$(snapshot)
[ "$before" = "$after" ] || fail "the other registration changed: $(diff <(echo "$before") <(echo "$after"))"
if reg $view query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1; then
  fail "the class is still registered in the $view-bit view beside the other"
fi
if run reg query "$addin" >/dev/null 2>&1; then
  fail "$addin is still there beside the other"
fi
echo "regsvr32 round trip ($platform): passed"
