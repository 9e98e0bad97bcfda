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
# A Wine process very rarely hangs while starting up under load; a test that
# times out or fails is run once more before it counts as failed.
ctest -j"$(nproc)" --output-on-failure --repeat until-pass:2 "$@"
