#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, only when one is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev libgl-dev fonts-dejavu-core qt6-translations-l10n
  libcurl4-openssl-dev libxlsxwriter-dev tinyproxy python3
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb locales
  dpkg-dev librsvg2-bin lintian desktop-file-utils man-db bsdextrautils
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Some tests read numbers under a locale whose decimal point is ",": make the Russian one available.
if ! locale -a 2>/dev/null | grep -qiE '^ru_RU\.utf-?8$'; then
  echo "Generating the ru_RU.UTF-8 locale"
  $SUDO localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 || echo "warning: could not generate ru_RU.UTF-8" >&2
fi
