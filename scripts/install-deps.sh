#!/usr/bin/env bash
# Installs, from Debian's packages, everything needed to build, run and test Tumblenest.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
  qt6-multimedia-dev libqt6opengl6-dev libgl-dev
  libcurl4-openssl-dev libzip-dev libjpeg62-turbo-dev
  libx11-dev libx11-xcb-dev libxcb1-dev libxext-dev libxtst-dev libxrandr-dev
  libasound2-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xserver-xephyr openbox xdotool x11-utils x11-apps xdg-utils
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
