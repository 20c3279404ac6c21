#!/usr/bin/env bash
# Installs what building and testing Tessaline needs on Debian 12, and nothing when all
# of it is already there. Needs root (or sudo) only when something is missing.
set -euo pipefail

# fonts-wine: Wine's own fonts; without Marlett, Wine draws caption and scroll-bar buttons
# as letters.
packages=(
  g++-mingw-w64-i686 mingw-w64-tools wine wine32:i386 libwine-dev wine64-tools
  xvfb xauth x11-apps imagemagick zip fonts-wine nsis
  cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
