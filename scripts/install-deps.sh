#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when they are missing.
set -euo pipefail

packages=(
  g++ make cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 libgl-dev
  libsqlite3-dev sqlite3
  libgtest-dev
  clang libclang-rt-14-dev
  xdg-utils desktop-file-utils shared-mime-info libfile-mimeinfo-perl libglib2.0-bin
  poppler-utils fonts-dejavu-core
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
