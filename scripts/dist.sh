#!/usr/bin/env bash
# make dist: the add-in for Windows users, in build/dist/:
#   Tarnwick-<version>-x64.msi   the per-user package for 64-bit Office
#   Tarnwick-<version>-x86.msi   the per-user package for 32-bit Office
#   Tarnwick-<version>.zip       both DLLs, tarnwick-doc.exe, tarnwick-lsp.exe and rules.md, for
#                                registering by hand
# from the win64 and windows-x86 builds, with the native build's
# tarnwick-package-registry for the packages' Registry table.
#
#   dist.sh            the above; the version is project(VERSION) in CMakeLists.txt
#   dist.sh --older    both packages again at version 0.0.1, in build/dist-older/,
#                      for the upgrade test
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(Tarnwick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=build/dist
if [ "${1:-}" = "--older" ]; then
  version=0.0.1 out=build/dist-older
fi
[ -n "$version" ] || { echo "dist: no version in CMakeLists.txt" >&2; exit 1; }
registry=build/native/tools/package/tarnwick-package-registry
work=$out/work
rm -rf "$out"
mkdir -p "$work"

# The packages' code page: the type library's help string is Japanese.
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"

package() {  # package PLATFORM BUILD STRIP
  local platform=$1 build=$2 strip=$3 binaries=$work/$1
  local msi=$out/Tarnwick-$version-$platform.msi
  mkdir -p "$binaries"
  # The builds carry debug information, which users have no use for.
  for file in "$build/bin/Tarnwick.dll" "$build/tools/doc/tarnwick-doc.exe" \
    "$build/tools/lsp/tarnwick-lsp.exe"; do
    "$strip" --strip-debug -o "$binaries/$(basename "$file")" "$file"
  done
  # The rules of check, which the server's diagnostics link to, beside it.
  cp docs/rules.md "$binaries/"
  "$registry" --platform "$platform" --scripts addin/resources --idl addin/typelib/tarnwick.idl \
    --version "$version" --out "$binaries/Registry.idt"
  wixl --arch "$platform" -D Platform="$platform" -D Version="$version" \
    -D Binaries="$binaries" -o "$msi" installer/tarnwick.wxs
  # wixl writes no Registry rows (and no registry actions) of its own.
  msibuild "$msi" -i "$work/_ForceCodepage.idt"
  msibuild "$msi" -i "$binaries/Registry.idt"
  msibuild "$msi" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveRegistryValues', 2600)" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteRegistryValues', 5000)"
  # A rebuilt package of the same version replaces the installed one as a
  # newer version does (the upgrade's maximum version inclusive: 0x200), rather
  # than being installed beside it.
  msibuild "$msi" \
    -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'" \
    -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$(upgrade_code "$msi")', '$version', 513, 'WIX_UPGRADE_DETECTED')"
  echo "dist: $msi"
}

upgrade_code() {  # the package's UpgradeCode property
  msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "UpgradeCode" { print $2 }'
}

package x64 build/win64 x86_64-w64-mingw32-strip
package x86 build/windows-x86 i686-w64-mingw32-strip

if [ "$out" = build/dist ]; then
  zipped=$work/Tarnwick-$version
  mkdir -p "$zipped"
  for platform in x64 x86; do
    mkdir -p "$zipped/$platform"
    cp "$work/$platform/Tarnwick.dll" "$work/$platform/tarnwick-doc.exe" \
      "$work/$platform/tarnwick-lsp.exe" "$work/$platform/rules.md" "$zipped/$platform/"
  done
  sed "s/@VERSION@/$version/g" installer/INSTALL.txt | sed 's/$/\r/' >"$zipped/INSTALL.txt"
  (cd "$work" && rm -f ../"Tarnwick-$version.zip" && zip -qr -X ../"Tarnwick-$version.zip" "Tarnwick-$version")
  echo "dist: $out/Tarnwick-$version.zip"
fi
rm -rf "$work"
