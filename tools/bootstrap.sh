#!/usr/bin/env bash
# Installs the cross toolchain, Wine and the test tools with apt when they are missing.
# Safe to run again: it does nothing when everything is present.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(wine wine32:i386 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
      mingw-w64-tools mingw-w64-i686-dev cmake make xvfb xauth googletest python3-olefile imagemagick
      fonts-wine nsis zip unzip)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
if [ "$VELLORA_ARCH" = x86_64 ]; then
  pkgs+=(wine64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev)
fi
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
echo "bootstrap: installing ${need[*]}" >&2
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
