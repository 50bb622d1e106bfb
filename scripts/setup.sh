#!/usr/bin/env bash
# Installs what the build needs (Debian packages, as root), then configures and builds
# the default preset. Usage: scripts/setup.sh [preset]
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${1:-default}
packages=(cmake ninja-build g++ pkg-config zlib1g-dev libspng-dev libdeflate-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libqt6test6 qt6-qpa-plugins qt6-translations-l10n qt6-l10n-tools qt6-tools-dev gettext
          libxml2-utils shared-mime-info desktop-file-utils devscripts appstream groff-base man-db
          xvfb x11-utils xdotool dbus at-spi2-core python3 python3-pyatspi)
if [ "$preset" = fuzz ] || [ "$preset" = asan ]; then
  packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Es fehlen Pakete: ${missing[*]}" >&2
    echo "Bitte als root ausführen (z. B. sudo $0), oder: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "Installiere: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
