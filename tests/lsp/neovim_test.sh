#!/usr/bin/env bash
# neovim_test.sh SERVER
# Neovim's own LSP client (Debian's neovim, headless) drives the server on a
# small workspace: hover, signature help, completion (plain text: the client
# takes no snippets), pushed diagnostics and one code action applied. The hover
# and the signature help are printed as Neovim shows them.
set -uo pipefail
server=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
command -v nvim >/dev/null || { echo "neovim_test: nvim is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src"
printf '%s\r\n' 'Attribute VB_Name = "Bank"' 'Option Explicit' \
  "''' <summary>Puts <paramref name=\"amount\"/> in the account.</summary>" \
  "''' <param name=\"amount\">How much, in <c>Currency</c>.</param>" \
  "''' <param name=\"note\">What for.</param>" \
  'Public Sub Deposit(ByVal amount As Currency, Optional ByVal note As String)' \
  'End Sub' >"$work/src/Bank.bas"
printf '%s\r\n' 'Attribute VB_Name = "Main"' '' "''" \
  'Public Sub Run()' '    Deposit 5, ' 'End Sub' >"$work/src/Main.bas"
HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state \
  timeout 120 nvim --headless --clean -n \
  -c "lua TARNWICK_SERVER = [[$server]]; TARNWICK_ROOT = [[$work]]" \
  -c "luafile $here/neovim_test.lua" 2>&1
status=$?
[ $status -eq 0 ] && echo "neovim: all checks passed" || echo "neovim: FAILED (status $status)" >&2
exit $status
