#!/usr/bin/env bash
# Installs the cross toolchain, Wine and the test tools with apt when they are missing.
# Safe to run again: it does nothing when everything is present.
set -euo pipefail

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
common=(wine g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
        mingw-w64-tools mingw-w64-i686-dev cmake make xvfb xauth googletest python3-olefile imagemagick
        fonts-wine nsis zip unzip
        cups-daemon cups-client printer-driver-cups-pdf ghostscript poppler-utils libcups2)
# Wine prints through CUPS with the library of its own kind.
wine32=(wine32:i386 libcups2:i386)
wine64=(wine64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
        mingw-w64-x86-64-dev)

missing() { local p; for p in "$@"; do have_pkg "$p" || echo "$p"; done; }

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=""
apt_update() {
  [ -z "$updated" ] || return 0
  updated=1
  # A mirror being synced answers some index files with the wrong size for a
  # while; the update is tried again before going on with what it has.
  local attempt
  for attempt in 1 2 3; do
    if $SUDO apt-get update -qq; then return 0; fi
    echo "bootstrap: apt-get update failed (try $attempt)" >&2
    sleep $((attempt * 10))
  done
}
# Installs the packages named; returns non-zero when apt cannot.
install() {
  local need
  need=$(missing "$@")
  [ -n "$need" ] || return 0
  # shellcheck disable=SC2086
  echo "bootstrap: installing" $need >&2
  apt_update
  local attempt
  for attempt in 1 2; do
    # shellcheck disable=SC2086
    if $SUDO apt-get install -y -qq --no-install-recommends $need >/dev/null; then return 0; fi
    echo "bootstrap: apt-get install failed (try $attempt)" >&2
    sleep 10
  done
  return 1
}

# The double-byte tests run under LC_ALL=zh_CN.UTF-8, which gives Wine the
# code page 936; without the locale they would only be skipped.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  install locales || true
  $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 ||
    echo "bootstrap: the zh_CN.UTF-8 locale could not be made; the double-byte tests will be skipped" >&2
fi

if [ "$VELLORA_ARCH" = i686 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    updated=""
  fi
  install "${common[@]}" "${wine32[@]}" && { rm -f "$no_wine32_mark"; exit 0; }
  # Without 32-bit Wine the same sources are built and tested as 64-bit
  # programs; the mark makes the commands choose that build.
  echo "bootstrap: 32-bit Wine could not be installed; using the 64-bit build" >&2
  mkdir -p "$build"
  : > "$no_wine32_mark"
fi
install "${common[@]}" "${wine64[@]}"
