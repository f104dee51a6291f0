#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, only when one is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev libgl-dev fonts-dejavu-core
  libcurl4-openssl-dev libxlsxwriter-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
