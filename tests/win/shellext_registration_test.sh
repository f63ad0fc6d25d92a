#!/usr/bin/env bash
# Fenwold's registration in a Wine prefix made fresh for this test, so that the keys it
# writes and removes are compared with a computer that never saw the suite.
# Usage: shellext_registration_test.sh PREFIX CHECKER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/env.sh"

export WINEPREFIX=$1
checker=$2
rm -rf "$WINEPREFIX"
orv_ensure_prefix || exit 1
trap orv_stop_wineserver EXIT
orv_start_wineserver
wine "$checker"
