#!/usr/bin/env bash
# Installs every Debian 12 package Vombrel needs to build, run and test.
# Idempotent: only packages that are missing are installed; never asks questions.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-ugly gstreamer1.0-plugins-bad gstreamer1.0-libav
  gstreamer1.0-pulseaudio gstreamer1.0-x gstreamer1.0-gl
  pulseaudio pulseaudio-utils libpulse-dev
  libx11-dev libxcb1-dev libxcb-keysyms1-dev libx11-xcb-dev
  libgtest-dev libgmock-dev
  xvfb xdotool x11-utils imagemagick trayer
  dbus playerctl
  ffmpeg sox
  weston qt6-wayland
  desktop-file-utils xdg-utils libglib2.0-bin shared-mime-info appstream dbus
  clang libclang-rt-14-dev clang-format clang-tidy
  python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
