#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb; prints CTest's summary.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bash "$here/tools/bootstrap.sh"
configure_and_build ON
trap stop_all EXIT
start_xvfb
start_wine
cd "$build"
ctest -j"$(nproc)" --output-on-failure --timeout 600 "$@"
