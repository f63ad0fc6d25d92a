#!/usr/bin/env bash
# Setup and uninstall under Wine in a 64-bit (WoW64) prefix made fresh for this test, so
# that both widths go in and what they leave behind can be compared with a computer that
# never saw the suite. Setup is a 32-bit program: this runs where 32-bit programs run
# (natively, or in a run of the 32-bit tests under the emulator).
# Usage: installer_test.sh PREFIX SETUP FAILING_SETUP CHECKER OTHER_MANAGER STAGE
# (CHECKER: the 64-bit checker; OTHER_MANAGER: any DLL that is not one of our managers,
# standing for another maker's; STAGE: the modules setup carries, to recognise them)
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/env.sh"

setup=$2 failing=$3 checker=$4 other=$5 stage=$6
orv_use_wow64_prefix "$1"
rm -rf "$WINEPREFIX"
orv_ensure_prefix || exit 1
trap orv_stop_wineserver EXIT
orv_start_wineserver

# The programs run from their place in the build tree (drive Z:); the suite goes to C:.
export ORV_SETUP ORV_FAILING_SETUP ORV_OTHER_MANAGER ORV_SETUP_STAGE
w() { /usr/lib/wine/wine64 winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }
ORV_SETUP=$(w "$setup")
ORV_FAILING_SETUP=$(w "$failing")
ORV_OTHER_MANAGER=$(w "$other")
ORV_SETUP_STAGE=$(w "$stage")
/usr/lib/wine/wine64 "$checker"
