#!/usr/bin/env bash
# Installs the Debian packages Tonalba builds, runs and tests with; skips what is present.
# Usage: scripts/install-deps.sh [extra-package...]
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config ccache clang
  qt6-base-dev qt6-translations-l10n libgl-dev libsqlite3-dev sqlite3 libjpeg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth xdotool python3 imagemagick poppler-utils emf2svg
  dbus at-spi2-core python3-pyatspi
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt_get=(apt-get)
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  apt_get=(sudo -n apt-get)
else
  echo "These packages are missing: ${missing[*]}" >&2
  echo "Install them with:  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${apt_get[@]}" update -qq
"${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
