#!/usr/bin/env bash
# The VS Code extension in editors/vscode.
#
#   vscode.sh setup      Node and npm (Debian's, when there are none), the npm
#                        packages that package-lock.json pins (npm ci, run again
#                        only when the lock file changes; from npm's cache,
#                        without the network, after the first time), then the
#                        type check, the bundle and the compiled tests.
#   vscode.sh vsix OUT   the platform packages Tarnwick-<version>-linux-x64.vsix
#                        and Tarnwick-<version>-win32-x64.vsix in OUT, each with
#                        its platform's tarnwick-lsp and tarnwick-doc (from the
#                        native and the win64 builds, stripped of debug
#                        information); each package's folder, as it was
#                        packed, stays in build/vsix/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
ext=$root/editors/vscode
bin=$ext/node_modules/.bin

setup() {
  if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    scripts/ensure-packages.sh nodejs npm
  fi
  local stamp=$ext/node_modules/.tarnwick-lock lock
  lock=$(sha256sum "$ext/package-lock.json" | cut -d' ' -f1)
  if [ "$(cat "$stamp" 2>/dev/null)" != "$lock" ]; then
    (cd "$ext" && npm ci --prefer-offline --no-audit --no-fund --loglevel=error)
    echo "$lock" >"$stamp"
  fi
  (cd "$ext" && "$bin/tsc" -p . --noEmit && node scripts/bundle.mjs && "$bin/tsc" -p test)
}

vsix() {
  local out=$1 version target build suffix strip stage tool
  mkdir -p "$out"
  out=$(cd "$out" && pwd)
  version=$(node -p "require('$ext/package.json').version")
  for target in linux-x64 win32-x64; do
    case $target in
      linux-x64) build=build/native suffix= strip=strip ;;
      win32-x64) build=build/win64 suffix=.exe strip=x86_64-w64-mingw32-strip ;;
    esac
    stage=build/vsix/$target
    rm -rf "$stage"
    mkdir -p "$stage/bin" "$stage/dist" "$stage/syntaxes"
    # The package's manifest says which platform its programs are for.
    node -e 'const [from, to, target] = process.argv.slice(1); const fs = require("fs");
      const manifest = JSON.parse(fs.readFileSync(from, "utf8"));
      fs.writeFileSync(to, JSON.stringify({ ...manifest, target }, null, 2) + "\n");' \
      "$ext/package.json" "$stage/package.json" "$target"
    cp "$ext/README.md" "$ext/language-configuration.json" "$stage/"
    cp "$ext/dist/extension.js" "$stage/dist/"
    cp "$ext"/syntaxes/*.tmLanguage.json "$stage/syntaxes/"
    for tool in lsp doc; do
      "$strip" --strip-debug -o "$stage/bin/tarnwick-$tool$suffix" "$build/tools/$tool/tarnwick-$tool$suffix"
      chmod 755 "$stage/bin/tarnwick-$tool$suffix"
    done
    # The page each diagnostic links to, found beside the server.
    cp docs/rules.md "$stage/bin/"
    (cd "$stage" && "$bin/vsce" package --no-dependencies --skip-license --allow-missing-repository \
      --target "$target" --out "$out/Tarnwick-$version-$target.vsix")
  done
}

case ${1:-} in
  setup) setup ;;
  vsix) setup && vsix "${2:-build/vsix}" ;;
  *) echo "usage: $0 setup | vsix [OUT]" >&2; exit 2 ;;
esac
