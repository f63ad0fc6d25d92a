#!/usr/bin/env bash
# Runs the soak of every window under Wine on a virtual display (see bench/soak.cpp):
#   bench/soak.sh [--cycles N] [--only TEXT] [--self-check] [--trace]
# The table is printed and kept in build/logs/soak.txt.
set -uo pipefail
source "$(dirname "$0")/../scripts/lib/env.sh"
orv_configure_and_build win-only >/dev/null || { echo "build failed"; exit 1; }
orv_probe_ia32
[ "$ORV_IA32" = yes ] || { echo "soak: this host cannot run 32-bit x86 programs ($ORV_IA32_WHY)"; exit 1; }
cleanup() { orv_stop_wineserver; orv_stop_display; }
trap cleanup EXIT
orv_ensure_display || exit 1
orv_ensure_prefix || exit 1
orv_start_wineserver
wine "$ORV_WIN_BUILD/bin/soak.exe" "$@" 2>"$ORV_LOGS/soak-wine.log" | tee "$ORV_LOGS/soak.txt"
exit "${PIPESTATUS[0]}"
