#!/usr/bin/env bash
# Installs what building, testing and releasing Trelvista needs on Debian, when it is missing.
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools googletest
          python3 wine wine64 xvfb imagemagick x11-utils util-linux xdotool wixl zip)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
