#!/usr/bin/env bash
# host_e2e_test.sh MODE WINE_RUN PREFIX PLATFORM HOST_EXE EXAMPLES_DIR [ADDIN_DLL]
# Runs tarnwick-host under Wine as the editor would be run. PLATFORM is the
# build's, x64 or x86: the x86 host reads the 32-bit editor's add-in key and
# finds classes in the 32-bit registry view.
#   unknown: an add-in key with an unknown ProgID is reported and the host
#            goes on with the editor alone; LoadBehavior 0 is not loaded.
#   addin:   Tarnwick.dll registered with regsvr32 plays the demo session to
#            the expected module; unregistered, no add-in is loaded and only
#            the editor's own typing happens.
#   peruser: the same with regsvr32 /n /i:user, the registration for the
#            current user only (see merge_user_classes for what Wine lacks).
#   package: the same with the installer package ADDIN_DLL names (a .msi)
#            installed and removed with msiexec, as a user would.
set -uo pipefail
mode="$1" wine_run="$2" prefix="$3" platform="$4" host="$5" examples="$6" dll="${7:-}"
work="$(mktemp -d)"
case "$platform" in
  x64) addins='HKCU\Software\Microsoft\VBA\VBE\6.0\Addins64' view=/reg:64 ;;
  x86) addins='HKCU\Software\Microsoft\VBA\VBE\6.0\Addins' view=/reg:32 ;;
  *) echo "unknown platform $platform" >&2 && exit 2 ;;
esac

cleanup() {
  unmerge_user_classes
  "$wine_run" --prefix "$prefix" reg delete "$addins\\TarnwickTest.NoSuchAddIn" /f >/dev/null 2>&1
  "$wine_run" --prefix "$prefix" reg delete "$addins\\TarnwickTest.NotAtStartup" /f >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../check.sh"

windows_path() {  # the Z: drive maps the Unix root in every prefix
  printf 'Z:%s' "$(realpath "$1" | tr / '\\')"
}

run_host() {  # run_host KEYS: plays KEYS into Geometry.bas; sets status, out, err
  status=0
  "$wine_run" --prefix "$prefix" "$host" --open "$examples/Geometry.bas" --script "$1" \
    --out "$work/result.bas" >"$work/stdout" 2>"$work/stderr" || status=$?
  out="$(cat "$work/stdout")"
  err="$(cat "$work/stderr")"
}

# What the editor alone makes of "{Caret 17:1}'''{Enter}x" at the start of
# the declaration of Add: the apostrophes on a line of their own, then x.
editor_only="$(awk 'NR == 17 { print "'"'''"'"; print "x" $0; next } { print }' "$examples/Geometry.bas")"
editor_keys="{Caret 17:1}'''{Enter}x"

# The demo session with the add-in registered: the editor loads it and the
# session gives the expected module.
play_demo() {
  run_host "$(cat "$examples/Geometry.keys")"
  check "the host runs the demo session" "$status" "$err"
  grep -qx "add-in connected: Tarnwick.Connect" <<<"$out"
  check "the add-in is connected" $? "$out$err"
  diff -u "$examples/Geometry.expected.bas" "$work/result.bas" >"$work/diff"
  check "the session gives the expected module" $? "$(cat "$work/diff")"
}

# The same through a registration for the current user.
play_demo_for_the_user() {
  merge_user_classes
  check "the per-user class keys are copied into the machine's classes" $?
  play_demo
  unmerge_user_classes
}

# play_without_addin WHEN: the editor's keys once the add-in is gone (WHEN:
# "unregistered", say); no add-in is loaded.
play_without_addin() {
  run_host "$editor_keys"
  check "the host runs without the add-in" "$status" "$err"
  ! grep -q "add-in connected" <<<"$out"
  check "no add-in is connected once $1" $? "$out"
}

# Windows merges HKCU\Software\Classes into the user's HKEY_CLASSES_ROOT, which
# is how COM finds a per-user registration. Wine does not: CLSIDFromProgID
# fails there after a correct one. merge_user_classes stands in for the merge
# by copying the add-in's per-user class keys into the machine's classes, and
# unmerge_user_classes removes exactly the copies it made.
user_classes='HKCU\Software\Classes'
machine_classes='HKLM\Software\Classes'
class_keys=(Tarnwick.Connect Tarnwick.Connect.1 'CLSID\{6A4E3C52-8F1B-4C7D-9B2E-5D3A7F1C0B84}'
  'AppID\{9E5C2B18-7A43-4D91-B6F0-3C8A1E5D7F29}' 'AppID\Tarnwick.DLL'
  'TypeLib\{C3D81A47-5E29-4B6F-8A1C-2F7E9D0B4C65}' 'Interface\{0F2B9D61-3C84-4E5A-A7D2-8B6C1E4F9A30}')
merged=()
reg() { "$wine_run" --prefix "$prefix" reg "$@" "$view" >/dev/null 2>&1; }
merge_user_classes() {
  for key in "${class_keys[@]}"; do
    reg query "$user_classes\\$key" || continue
    reg query "$machine_classes\\$key" && continue
    merged+=("$key")
    reg copy "$user_classes\\$key" "$machine_classes\\$key" /s /f || return 1
  done
}
unmerge_user_classes() {
  for key in "${merged[@]}"; do
    reg delete "$machine_classes\\$key" /f
  done
  merged=()
}

case "$mode" in
  unknown)
    "$wine_run" --prefix "$prefix" reg add "$addins\\TarnwickTest.NoSuchAddIn" \
      /v LoadBehavior /t REG_DWORD /d 3 /f >/dev/null 2>&1
    "$wine_run" --prefix "$prefix" reg add "$addins\\TarnwickTest.NotAtStartup" \
      /v LoadBehavior /t REG_DWORD /d 0 /f >/dev/null 2>&1
    run_host "$editor_keys"
    check "the host goes on after an add-in fails to load" "$status" "$err"
    grep -qxF "'TarnwickTest.NoSuchAddIn' could not be loaded." <<<"$err"
    check "the unknown ProgID is reported as the editor words it" $? "$err"
    ! grep -q "NotAtStartup" <<<"$err$out"
    check "an add-in without the start-up bit is not tried" $? "$err"
    [ "$(cat "$work/result.bas")" = "$editor_only" ]
    check "the editor alone typed the keys" $? "$(diff <(echo "$editor_only") "$work/result.bas")"
    [ "$(grep -c caret <<<"$out")" -eq 6 ]
    check "one transcript line per keystroke" $? "$out"
    ;;
  addin)
    dll_path="$(windows_path "$dll")"
    status=0
    "$wine_run" --prefix "$prefix" regsvr32 /s "$dll_path" >/dev/null 2>&1 || status=$?
    check "regsvr32 registers Tarnwick.dll" "$status"
    play_demo

    status=0
    "$wine_run" --prefix "$prefix" regsvr32 /s /u "$dll_path" >/dev/null 2>&1 || status=$?
    check "regsvr32 /u unregisters Tarnwick.dll" "$status"
    play_without_addin "unregistered"
    [ "$(cat "$work/result.bas")" = "$editor_only" ]
    check "without the add-in the editor alone typed" $? \
      "$(diff <(echo "$editor_only") "$work/result.bas")"
    ;;
  peruser)
    dll_path="$(windows_path "$dll")"
    clsid_key='CLSID\{6A4E3C52-8F1B-4C7D-9B2E-5D3A7F1C0B84}'
    ! reg query "$machine_classes\\$clsid_key"
    check "the class is not registered machine-wide to begin with" $?
    # Wine registers a type library "for the user" machine-wide; what it adds
    # there is taken away again at the end, as Windows would never write it.
    typelib_keys=()
    for key in "${class_keys[@]:5}"; do
      reg query "$machine_classes\\$key" || typelib_keys+=("$key")
    done
    status=0
    "$wine_run" --prefix "$prefix" regsvr32 /s /n /i:user "$dll_path" >/dev/null 2>&1 || status=$?
    check "regsvr32 /n /i:user registers Tarnwick.dll for the user" "$status"
    server="$("$wine_run" --prefix "$prefix" reg query "$user_classes\\$clsid_key\\InprocServer32" /ve "$view" 2>&1)"
    grep -qF "$dll_path" <<<"$server"
    check "the class is registered below the user's classes" $? "$server"
    ! reg query "$machine_classes\\$clsid_key"
    check "and not machine-wide" $?

    play_demo_for_the_user

    status=0
    "$wine_run" --prefix "$prefix" regsvr32 /s /u /n /i:user "$dll_path" >/dev/null 2>&1 || status=$?
    check "regsvr32 /u /n /i:user unregisters Tarnwick.dll for the user" "$status"
    for key in "${typelib_keys[@]}"; do
      reg delete "$machine_classes\\$key" /f
    done
    left=""
    for key in "${class_keys[@]}"; do
      reg query "$user_classes\\$key" && left+=" $key"
    done
    [ -z "$left" ]
    check "no per-user class key is left" $? "left:$left"
    play_without_addin "unregistered"
    ;;
  package)
    package_path="$(windows_path "$dll")"
    status=0
    "$wine_run" --prefix "$prefix" msiexec /i "$package_path" /qn >/dev/null 2>&1 || status=$?
    check "msiexec installs the package" "$status"
    play_demo_for_the_user
    status=0
    "$wine_run" --prefix "$prefix" msiexec /x "$package_path" /qn >/dev/null 2>&1 || status=$?
    check "msiexec removes the package" "$status"
    play_without_addin "the package is removed"
    ;;
  *)
    echo "unknown mode $mode" >&2
    exit 2
    ;;
esac

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
