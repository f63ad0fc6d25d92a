#!/usr/bin/env bash
# The folder in Wine's own explorer, by hand (not part of the test command: it drives
# another program's windows and waits for them by polling). In a prefix of its own with
# Corvath, the simulated manager (on the default bus) and Fenwold registered, it opens My
# Computer, the folder, an adapter in every view mode, a context menu and a device's
# property sheet, and saves a screenshot of each under build/screenshots/.
# Usage: tests/win/shellext_explorer_try.sh   (after scripts/build; needs Xvfb)
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/env.sh"
bin=$ORV_WIN_BUILD/bin
export WINEPREFIX=$ORV_BUILD/explorer-prefix
export DISPLAY=:97
Xvfb :97 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
probe() { wine "$bin/shellext_explorer_probe.exe" "$@"; }
shot() { wine "$bin/shellext_explorer_probe.exe" windows >/dev/null; import -display :97 -window root -crop 800x600+0+0 "$ORV_SCREENSHOTS/shellext_explorer_$1.png"; echo "$ORV_SCREENSHOTS/shellext_explorer_$1.png"; }
finish() { wineserver -k 2>/dev/null; kill "$xvfb" 2>/dev/null; }
trap finish EXIT
orv_ensure_prefix || exit 1
orv_start_wineserver
# The SCSI manager goes where an installed one would be found by any process.
cp "$bin/wnvrax32.dll" "$WINEPREFIX/drive_c/windows/system32/"
wine regsvr32 /s "$(winepath -w "$bin/corvath.dll")"
wine regsvr32 /s "$(winepath -w "$bin/fenwold.dll")"
wine explorer >/dev/null 2>&1 &
computer='::{20D04FE0-3AEA-1069-A2D8-08002B30309D}'
probe location "$computer" && sleep 2 && shot my_computer
probe location "$computer\\::{D6C27292-D646-4E94-8B05-BAE60EBFD3AC}"
probe wait-items 5 && shot root
probe menu 3 && shot adapter_menu
probe escape
probe activate 3 && sleep 2
for mode in 7:large 8:small 9:list 19:details; do
  probe command "${mode%%:*}" && sleep 1 && shot "adapter_${mode##*:}"
done
probe menu 2 && shot device_menu
probe escape
probe activate 2 && sleep 2 && shot device_properties
probe close-dialog "QUORIX QX-18LVD         Properties"
