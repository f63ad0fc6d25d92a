#!/usr/bin/env bash
# Both widths of the servers registered side by side in a 64-bit (WoW64) prefix made
# fresh for this test (see registration_side_by_side_check.cpp).
# Usage: registration_side_by_side_test.sh PREFIX BIN32 BIN64
# BIN32 "-": the 64-bit servers alone (hosts where no 32-bit program runs), beside
# 32-bit entries that the checker writes itself.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/env.sh"

orv_use_wow64_prefix "$1"
rm -rf "$WINEPREFIX"
orv_ensure_prefix || exit 1
trap orv_stop_wineserver EXIT
orv_start_wineserver

w() { /usr/lib/wine/wine64 winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }
export ORV_BIN32 ORV_BIN64 GTEST_FILTER
if [ "$2" = - ]; then
  ORV_BIN32=
  GTEST_FILTER=OwnView.*
else
  ORV_BIN32=$(w "$2")
  GTEST_FILTER=SideBySide.*
fi
ORV_BIN64=$(w "$3")
/usr/lib/wine/wine64 "$3/registration_side_by_side_check.exe"
