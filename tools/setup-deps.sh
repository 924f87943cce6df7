#!/usr/bin/env bash
# Installs the Debian 12 packages Pellucan needs to build, run and test.
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev
  libblkid-dev ntfs-3g-dev ntfs-3g
  libgtest-dev
  fonts-liberation fonts-dejavu fonts-noto-cjk
  dosfstools mtools fdisk xz-utils gzip python3
  pkexec
  libxcb1-dev
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
