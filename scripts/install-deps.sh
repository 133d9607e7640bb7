#!/usr/bin/env bash
# Installs what building and testing Plindar needs on Debian 12. Idempotent: a
# package already present is left alone. Uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    clang libclang-rt-14-dev clang-format
    libpcap-dev libsqlite3-dev googletest
    libfreexl-dev libgsf-1-dev qt6-base-dev
    qt6-wayland fonts-wqy-microhei xdg-utils
    python3-xlrd imagemagick
    libreoffice-calc-nogui
    iproute2 procps
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: everything is installed"
    exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
