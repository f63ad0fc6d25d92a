#!/usr/bin/env bash
# The suite's windows at other screens and schemes, in a Wine prefix and on a virtual
# display of their own (larger than the shared one, so that windows at 2x fit, and with
# a keyboard focus no other test takes): the checker runs once per look, each with the
# DPI and colours set in the prefix first. Screenshots go to the width's screenshot
# folder, look-<look>/.
# Usage: ui_look_test.sh PREFIX CHECKER LOOK... [-- GTEST-ARGS]
#   LOOK: 96, 144, 192 (DPI, the theme's colours) or hc (96 DPI, a high-contrast scheme
#   with visual styles off, as Windows shows one).
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/env.sh"

export WINEPREFIX=$1 checker=$2
artifacts=$ORV_ARTIFACTS
shift 2
looks=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do looks+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
gtest_args=("$@")

# A display of our own: 2560x2048, on a number the shared displays do not use.
xvfb_pid=
cleanup() {
  orv_stop_wineserver
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
for n in $(seq 140 180); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 2560x2048x24 -nolisten tcp >"$ORV_LOGS/xvfb-look.log" 2>&1 &
  xvfb_pid=$!
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -e "/tmp/.X11-unix/X$n" ]; then export DISPLAY=":$n"; break; fi
  kill "$xvfb_pid" 2>/dev/null; xvfb_pid=
done
[ -n "$xvfb_pid" ] || { echo "ui_look_test: no virtual display" >&2; exit 1; }

orv_ensure_prefix || exit 1
orv_start_wineserver
# The theme's own colours, kept once to come back to after the high-contrast look.
theme_colours=$WINEPREFIX/theme-colours.reg
[ -f "$theme_colours" ] || wine reg export 'HKCU\Control Panel\Colors' "$(winepath -w "$theme_colours")" /y >/dev/null 2>&1

settings() {  # the registry of one look, as a .reg file for regedit
  local dpi=96 theme=1
  case "$1" in
    96|144|192) dpi=$1 ;;
    hc) theme=0 ;;
  esac
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n\r\n' "$dpi"
  printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager]\r\n"ThemeActive"="%s"\r\n\r\n' "$theme"
  [ "$1" = hc ] || return 0
  # Yellow and white on navy and black: every colour of the scheme differs from the fixed
  # ones a window might still use (black, white, the classic greys).
  printf '[HKEY_CURRENT_USER\\Control Panel\\Colors]\r\n'
  while read -r name value; do printf '"%s"="%s"\r\n' "$name" "$value"; done <<'COLOURS'
ActiveBorder 255 255 0
ActiveTitle 0 0 160
AppWorkSpace 0 0 0
Background 0 0 0
ButtonAlternateFace 0 0 96
ButtonDkShadow 255 255 0
ButtonFace 0 0 96
ButtonHilight 255 128 255
ButtonLight 96 96 255
ButtonShadow 0 176 176
ButtonText 255 255 0
GradientActiveTitle 0 0 160
GradientInactiveTitle 0 0 64
GrayText 0 255 0
Hilight 0 200 0
HilightText 0 0 0
HotTrackingColor 255 255 0
InactiveBorder 0 0 96
InactiveTitle 0 0 64
InactiveTitleText 255 255 0
InfoText 255 255 0
InfoWindow 0 0 0
Menu 0 0 96
MenuBar 0 0 96
MenuHilight 0 200 0
MenuText 255 255 0
Scrollbar 0 0 96
TitleText 255 255 255
Window 0 0 0
WindowFrame 255 255 0
WindowText 255 255 255
COLOURS
}

status=0
for look in "${looks[@]}"; do
  reg=$WINEPREFIX/look-$look.reg
  settings "$look" >"$reg"
  [ "$look" = hc ] || wine regedit /S "$(winepath -w "$theme_colours")" >/dev/null 2>&1
  wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
  echo "---- look $look"
  ORV_LOOK=$look ORV_ARTIFACTS=$artifacts/look-$look wine "$checker" "${gtest_args[@]}" || status=1
done
# The prefix keeps the theme as it came.
wine regedit /S "$(winepath -w "$theme_colours")" >/dev/null 2>&1
settings 96 >"$WINEPREFIX/look-96.reg" && wine regedit /S "$(winepath -w "$WINEPREFIX/look-96.reg")" >/dev/null 2>&1
exit $status
