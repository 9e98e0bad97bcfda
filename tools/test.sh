#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb; prints CTest's summary.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bash "$here/tools/bootstrap.sh"
# The bootstrap may have had to fall back to the 64-bit build.
source "$here/tools/common.sh"
configure_and_build ON
trap stop_all EXIT
start_xvfb
# Printing goes to a scheduler of the tests' own; Wine reads its queues at start.
start_cups
start_wine
cd "$build"
# A Wine process very rarely hangs while starting up under load; a test that
# times out or fails is run once more before it counts as failed, and every
# test that needed the second try is named, so a flaky test is seen.
failed_log="Testing/Temporary/LastTestsFailed.log"
rm -f "$failed_log"
if ctest -j"$(nproc)" --output-on-failure "$@"; then exit 0; fi
[ -s "$failed_log" ] || exit 1
first=$(cut -d: -f2- "$failed_log")
echo "== Running the failed tests once more =="
ctest --rerun-failed --output-on-failure
echo "== These tests passed only on their second try (flaky): =="
echo "$first" | sed 's/^/   /'

