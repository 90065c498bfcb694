#!/usr/bin/env bash
# host_e2e_test.sh MODE WINE_RUN PREFIX HOST_EXE EXAMPLES_DIR [ADDIN_DLL]
# Runs tarnwick-host under Wine as the editor would be run.
#   unknown: an add-in key with an unknown ProgID is reported and the host
#            goes on with the editor alone; LoadBehavior 0 is not loaded.
#   addin:   Tarnwick.dll registered with regsvr32 plays the demo session to
#            the expected module; unregistered, no add-in is loaded and only
#            the editor's own typing happens.
set -uo pipefail
mode="$1" wine_run="$2" prefix="$3" host="$4" examples="$5" dll="${6:-}"
work="$(mktemp -d)"
addins='HKCU\Software\Microsoft\VBA\VBE\6.0\Addins64'
passed=0
failed=0

cleanup() {
  "$wine_run" --prefix "$prefix" reg delete "$addins\\TarnwickTest.NoSuchAddIn" /f >/dev/null 2>&1
  "$wine_run" --prefix "$prefix" reg delete "$addins\\TarnwickTest.NotAtStartup" /f >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

check() {  # check NAME STATUS [DETAIL]
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $1" >&2
    [ -n "${3:-}" ] && printf '%s\n' "$3" >&2
  fi
}

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
    run_host "$(cat "$examples/Geometry.keys")"
    check "the host runs the demo session" "$status" "$err"
    grep -qx "add-in connected: Tarnwick.Connect" <<<"$out"
    check "the add-in is connected" $? "$out$err"
    diff -u "$examples/Geometry.expected.bas" "$work/result.bas" >"$work/diff"
    check "the session gives the expected module" $? "$(cat "$work/diff")"

    status=0
    "$wine_run" --prefix "$prefix" regsvr32 /s /u "$dll_path" >/dev/null 2>&1 || status=$?
    check "regsvr32 /u unregisters Tarnwick.dll" "$status"
    run_host "$editor_keys"
    check "the host runs without the add-in" "$status" "$err"
    ! grep -q "add-in connected" <<<"$out"
    check "no add-in is connected once unregistered" $? "$out"
    [ "$(cat "$work/result.bas")" = "$editor_only" ]
    check "without the add-in the editor alone typed" $? \
      "$(diff <(echo "$editor_only") "$work/result.bas")"
    ;;
  *)
    echo "unknown mode $mode" >&2
    exit 2
    ;;
esac

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
