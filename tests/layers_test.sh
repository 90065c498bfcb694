#!/usr/bin/env bash
# layers_test.sh SOURCE_DIR
# The folders stand in layers (README, "How it is put together"): each source
# file includes the project's headers only from its own folder and the folders
# listed for it. An include that runs the other way fails here.
set -uo pipefail
cd "$1" || exit 2
source tests/check.sh

# folder: the folders its files may include from (its own always).
declare -A allowed=(
  [text]=""
  [engine]="text"
  [vba]="engine text"
  [office]="text"
  [registrar]="text"
  [win32]=""
  [vbe]="engine text win32"
  [window]="engine text win32"
  [addin/server]="registrar window engine text win32"
  [addin]="addin/server registrar vbe window engine text win32"
  [simulator]="addin vba engine text win32"
  [tools/doc]="office vba engine text"
  [tools/package]="addin/server registrar text"
  [tools/replay]="simulator engine text"
  [lsp]="vba engine office text"
  [tools/lsp]="lsp"
)

for folder in "${!allowed[@]}"; do
  bad=""
  for file in $(git ls-files "$folder/*.cpp" "$folder/*.h"); do
    # A file of addin/ that lives in addin/server belongs to that folder.
    [ "$folder" = addin ] && [[ $file == addin/server/* ]] && continue
    while read -r include; do
      [[ $include == */* ]] || continue # generated headers of the build
      ok=false
      for allow in "$folder" ${allowed[$folder]}; do
        [[ $include == "$allow"/* ]] && ok=true && break
      done
      $ok || bad+="$file includes $include"$'\n'
    done < <(sed -n 's/^#include "\(.*\)"/\1/p' "$file")
  done
  [ -z "$bad" ]
  check "$folder includes only the folders it stands on" $? "$bad"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
