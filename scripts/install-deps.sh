#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Korrin Patcher needs.
# Does nothing when all of them are present already.
#   install-deps.sh             for the Linux build
#   install-deps.sh --windows   for the Windows build: MinGW-w64, Wine, GoogleTest's sources
set -euo pipefail

if [ "${1:-}" = "--windows" ]; then
  packages=(
    cmake ninja-build ccache
    g++-mingw-w64-x86-64-posix googletest libcli11-dev nlohmann-json3-dev
    wine wine64
    python3 perl iproute2 util-linux
  )
else
  packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6svg6 libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xdotool imagemagick x11-utils
    fonts-dejavu-core fonts-wine
    python3 iproute2 util-linux desktop-file-utils
    libcli11-dev nlohmann-json3-dev
    clang libclang-rt-14-dev
    hyperfine time
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
