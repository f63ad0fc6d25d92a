#!/usr/bin/env bash
# Runs the soak of every window under Wine on a virtual display (see bench/soak.cpp):
#   [ORV_WIDTH=32|64] bench/soak.sh [--cycles N] [--only TEXT] [--self-check] [--trace] [--heap-sizes]
# The width is the 32-bit one where the host runs 32-bit programs, else the 64-bit one;
# ORV_WIDTH chooses. The table is kept in build/logs/soak-WIDTH.txt and compared with
# bench/soak-baseline-WIDTH.txt: each window whose figures grew beyond the baseline's is
# named, and the exit status is non-zero. ORV_SOAK_BASELINE=FILE compares with another.
set -uo pipefail
asked_width=${ORV_WIDTH:-}
source "$(dirname "$0")/../scripts/lib/env.sh"
orv_probe_ia32
width=${asked_width:-$([ "$ORV_IA32" = yes ] && echo 32 || echo 64)}
case "$width" in 32|64) ;; *) echo "soak: ORV_WIDTH must be 32 or 64"; exit 2 ;; esac
# Figures taken under the emulator would not be comparable with anything.
if [ "$width" = 32 ] && [ "$ORV_IA32" != yes ]; then
  echo "soak: this host cannot run 32-bit x86 programs ($ORV_IA32_WHY); ORV_WIDTH=64 runs the 64-bit soak"
  exit 2
fi
orv_use_width "$width"
tree=$ORV_WIDTH_BUILD
if [ ! -f "$tree/build.ninja" ]; then
  orv_configure_and_build "win$width" >/dev/null || { echo "build failed"; exit 1; }
fi
cmake --build "$tree" --target soak >"$ORV_LOGS/soak-build-$width.log" 2>&1 \
  || { echo "build failed (see $ORV_LOGS/soak-build-$width.log)"; exit 1; }

cleanup() { orv_stop_wineserver; orv_stop_display; }
trap cleanup EXIT
orv_ensure_display || exit 1
orv_ensure_prefix || exit 1
orv_start_wineserver
table=$ORV_LOGS/soak-$width.txt
echo "Width: $width-bit"
wine "$ORV_WIN_BIN/soak.exe" "$@" 2>"$ORV_LOGS/soak-wine-$width.log" | sed -u 's/\r$//' | tee "$table"
status=${PIPESTATUS[0]}

# Each row against the same row of the baseline, measure by measure: its growth over the
# cycles (last - first; the baseline's scaled to this run's cycles) and what its first
# opening added (first - the previous row's last, where the previous row is the same in
# both). Slack: one object, handle or thread (a cache that settles late); 2 KB of heap
# and 64 KB of pages, as in soak.cpp.
compare_with_baseline() {  # BASELINE TABLE
  awk '
    function parse(line, row,   rest, i, f) {
      rest = line; i = 0
      while (i < 6 && match(rest, /-?[0-9]+ -> -?[0-9]+ \([+-]?[0-9]+\)/)) {
        if (i == 0) { row["name"] = substr(rest, 1, RSTART - 1); sub(/ +$/, "", row["name"]) }
        split(substr(rest, RSTART, RLENGTH), f, " ")
        row["first", i] = f[1]; row["last", i] = f[3]; ++i
        rest = substr(rest, RSTART + RLENGTH)
      }
      return i == 6
    }
    BEGIN { split("GDI USER kernel threads private-KB heap-KB", measure, " ")
            split("1 1 1 1 64 2", slack, " ") }
    { file = FILENAME == ARGV[1] ? 1 : 2 }
    /^Soak: [0-9]+ open\/close cycles/ { cycles[file] = $2 }
    {
      delete row
      if (!parse($0, row)) next
      name = row["name"]
      for (i = 0; i < 6; ++i) {
        growth[file, name, i] = row["last", i] - row["first", i]
        step[file, name, i] = prev[file] == "" ? "" : row["first", i] - lastOf[file, i]
        lastOf[file, i] = row["last", i]
      }
      before[file, name] = prev[file]; prev[file] = name
      if (file == 1) { inBase[name] = 1 } else { order[++rows] = name; ownGrew[name] = $0 ~ / GREW$/ }
    }
    END {
      if (!rows) { print "soak: the table has no rows to compare"; exit 1 }
      # A leak grows with the cycles, so the growth of the baseline is scaled up to a
      # longer run; not down to a shorter one, which still has the same settling.
      scale = cycles[1] > 1 && cycles[2] > cycles[1] ? (cycles[2] - 1) / (cycles[1] - 1) : 1
      printf "Against the baseline (%s cycles there, %s here):\n", cycles[1], cycles[2]
      grewAny = 0
      for (r = 1; r <= rows; ++r) {
        name = order[r]; said = ""
        # A row the baseline lacks is judged by its own verdict (the self-check leaks on purpose).
        if (!(name in inBase)) {
          if (ownGrew[name] && name !~ /on purpose/) { grewAny = 1; printf "  %-34s GREW, and not in the baseline\n", name }
          else printf "  %-34s not in the baseline\n", name
          continue
        }
        sameBefore = before[1, name] == before[2, name]
        for (i = 0; i < 6; ++i) {
          expected = growth[1, name, i] * scale
          if (growth[2, name, i] - expected > slack[i + 1])
            said = said sprintf("; %s %+d over the cycles (baseline %+d)", measure[i + 1],
                                growth[2, name, i], expected)
          if (sameBefore && step[2, name, i] != "" && step[2, name, i] - step[1, name, i] > slack[i + 1])
            said = said sprintf("; %s %+d at its first opening (baseline %+d)", measure[i + 1],
                                step[2, name, i], step[1, name, i])
        }
        if (said != "") { grewAny = 1; printf "  %-34s GREW%s\n", name, substr(said, 2) }
        else printf "  %-34s no growth\n", name
      }
      print grewAny ? "soak: something grew beyond the baseline" : "soak: nothing grew beyond the baseline"
      exit grewAny
    }' "$1" "$2"
}

baseline=${ORV_SOAK_BASELINE:-$ORV_ROOT/bench/soak-baseline-$width.txt}
echo
if [ -f "$baseline" ]; then
  echo "Baseline: $baseline"
  # Growth is judged against the baseline, which keeps what is known (see its header);
  # a window that failed, a missed self-check or a run that did not start still fail.
  if [ "$status" = 1 ] && ! grep -q "WINDOW FAILED\|MISSED by a measure" "$table"; then status=0; fi
  compare_with_baseline "$baseline" "$table" || status=1
else
  echo "soak: NO BASELINE for the $width-bit width ($baseline); nothing compared."
  echo "      To keep this run as the baseline: cp $table $baseline"
fi
exit "$status"
