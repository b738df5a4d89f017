#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, when they are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64 wine64-tools libwine-dev
  openjdk-17-jdk-headless
  googletest
  clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
