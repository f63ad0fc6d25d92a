#!/usr/bin/env bash
# Setup and uninstall under Wine in a prefix made fresh for this test, so that what
# they leave behind can be compared with a computer that never saw the suite.
# Usage: installer_test.sh PREFIX SETUP FAILING_SETUP CHECKER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/env.sh"

export WINEPREFIX=$1
setup=$2 failing=$3 checker=$4
rm -rf "$WINEPREFIX"
orv_ensure_prefix || exit 1
trap orv_stop_wineserver EXIT
orv_start_wineserver

# The programs run from their place in the build tree (drive Z:); the suite goes to C:.
export ORV_SETUP ORV_FAILING_SETUP
ORV_SETUP=$(winepath -w "$setup")
ORV_FAILING_SETUP=$(winepath -w "$failing")
wine "$checker"
