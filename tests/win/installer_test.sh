#!/usr/bin/env bash
# Setup and uninstall under Wine in a prefix made fresh for this test, so that what
# they leave behind can be compared with a computer that never saw the suite.
# Usage: installer_test.sh PREFIX SETUP FAILING_SETUP CHECKER OTHER_MANAGER
# (OTHER_MANAGER: any DLL that is not the simulated manager, standing for a real one)
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/env.sh"

export WINEPREFIX=$1
setup=$2 failing=$3 checker=$4 other=$5
rm -rf "$WINEPREFIX"
orv_ensure_prefix || exit 1
trap orv_stop_wineserver EXIT
orv_start_wineserver

# The programs run from their place in the build tree (drive Z:); the suite goes to C:.
export ORV_SETUP ORV_FAILING_SETUP ORV_OTHER_MANAGER
ORV_SETUP=$(winepath -w "$setup")
ORV_FAILING_SETUP=$(winepath -w "$failing")
ORV_OTHER_MANAGER=$(winepath -w "$other")
wine "$checker"
