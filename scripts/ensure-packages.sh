#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are missing.
# As root it runs apt-get; otherwise it says what to install and fails.
#
# A package of another architecture is named NAME:ARCH (wine32:i386). Its
# architecture is added to dpkg first when it is not there yet, so that
# apt-get update lists that architecture's packages.
set -euo pipefail
missing=()
for pkg in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

native=$(dpkg --print-architecture)
architectures=()
for pkg in "${missing[@]}"; do
  [[ $pkg == *:* ]] || continue
  arch=${pkg##*:}
  [ "$arch" = "$native" ] && continue
  dpkg --print-foreign-architectures | grep -qx "$arch" && continue
  [[ " ${architectures[*]} " == *" $arch "* ]] || architectures+=("$arch")
done

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  for arch in "${architectures[@]}"; do
    echo "Add their architecture first: sudo dpkg --add-architecture $arch" >&2
  done
  echo "Install them with: sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
for arch in "${architectures[@]}"; do
  echo "Adding the architecture $arch" >&2
  dpkg --add-architecture "$arch"
done
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
# A mirror being synced answers an index of the wrong size for a while, and
# apt-get update then fails as a whole. Try again a little later; when it still
# fails, go on with the lists there are: the install says what it cannot find.
for attempt in 1 2 3 4; do
  apt-get update -qq && break
  [ "$attempt" -eq 4 ] && { echo "apt-get update failed; installing from the lists there are" >&2; break; }
  sleep $((attempt * 10))
done
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
