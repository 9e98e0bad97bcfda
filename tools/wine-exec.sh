#!/usr/bin/env bash
# Runs one Windows program under Wine in the build tree's private prefix.
# CTest uses it as the emulator; carriage returns are stripped so CTest and
# GoogleTest read the program's console output as plain lines.
set -o pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine "$@" | tr -d '\r'
