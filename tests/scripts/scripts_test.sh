#!/usr/bin/env bash
# The scripts' own test: the probe for 32-bit x86, the path taken on a host that cannot
# run such programs, the user-mode emulator's entry and marks, the counts of the closing
# line and bootstrap's message without root.
# Registered with the native tests; needs nothing built.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
unset ORV_FORCE_NO_IA32 DISPLAY ORV_IA32_EMULATED ORV_IA32_EMULATOR LD_PRELOAD
export ORV_BUILD=$TMP/build
fails=0
check() {  # check NAME COMMAND...: runs COMMAND, reports NAME as failed when it fails
  local name=$1; shift
  if "$@"; then echo "ok   $name"; else echo "FAIL $name"; fails=$((fails + 1)); fi
}
has() { grep -q -- "$2" <<<"$1"; }

# ---- the probe ------------------------------------------------------------------------
probe_forced() {
  local out
  out=$(ORV_FORCE_NO_IA32=1 bash -c 'source "$0/scripts/lib/env.sh"; orv_say_path
        echo "ia32=$ORV_IA32 native=$ORV_NATIVE_BUILD args=${ORV_NATIVE_ARGS[*]}"' "$ROOT")
  has "$out" "ia32=no native=$ORV_BUILD/native-host args=-DORV_NATIVE_HOST_WORD=ON" &&
    has "$out" "host cannot run 32-bit x86 programs (ORV_FORCE_NO_IA32=1 is set)"
}
check "ORV_FORCE_NO_IA32=1 takes the host-word path and says so" probe_forced

probe_file() {
  bash -c 'source "$0/scripts/lib/env.sh"; orv_probe_ia32' "$ROOT"
  # ELF, 32-bit, little-endian, executable (type 2), i386 (machine 3); 96 bytes.
  [ "$(od -An -tx1 -N20 "$ORV_BUILD/ia32-probe" | tr -d ' \n')" = \
    7f454c4601010100000000000000000002000300 ] && [ "$(wc -c <"$ORV_BUILD/ia32-probe")" -eq 96 ]
}
check "the probe is a 96-byte i386 executable" probe_file

# A host of the other kind, made in a private user namespace: a binfmt_misc entry for
# i386 ELF whose interpreter is no program makes every i686 exec fail. The machine's own
# binfmt_misc is never touched. Needs user namespaces and a kernel of 6.7 or later.
printf 'not a program\n' >"$TMP/notaprog"
chmod +x "$TMP/notaprog"
in_failing_host() {
  unshare --user --map-root-user --mount --fork bash -c '
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || exit 99
    printf ":orv-i386-fail:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$0:\n" \
      >/proc/sys/fs/binfmt_misc/register 2>/dev/null || exit 99
    exec "$@"' "$TMP/notaprog" "$@"
}
if in_failing_host true 2>/dev/null; then
  probe_failing() {
    local out
    out=$(in_failing_host bash -c 'source "$0/scripts/lib/env.sh"; orv_say_path
          echo "ia32=$ORV_IA32"' "$ROOT" 2>&1)
    has "$out" "ia32=no" && has "$out" "Exec format error"
  }
  check "the probe finds a host whose i686 programs fail with Exec format error" probe_failing
else
  echo "skip the probe on a host made to fail i686 programs: no user namespace with its own binfmt_misc here"
fi

# ---- the user-mode emulator --------------------------------------------------------------
# An entry of ours in binfmt_misc makes the probe succeed through it: the probe must not
# believe it, and an entry whose run has ended goes. Tried in a private namespace whose
# interpreter answers the probe's exit status 7 for any i386 program.
printf '#!/bin/sh\nexit 7\n' >"$TMP/answers7"
chmod +x "$TMP/answers7"
in_emulating_host() {  # in_emulating_host ENTRY COMMAND...
  local entry=$1; shift
  unshare --user --map-root-user --mount --fork bash -c '
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || exit 99
    printf ":$1:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$0:\n" \
      >/proc/sys/fs/binfmt_misc/register 2>/dev/null || exit 99
    shift; exec "$@"' "$TMP/answers7" "$entry" "$@"
}
if in_emulating_host orvane-qemu-i386-1 true 2>/dev/null; then
  probe_live_entry() {  # the entry of a live run (this shell's pid): kept, not believed
    local out
    out=$(in_emulating_host "orvane-qemu-i386-$$" bash -c 'source "$0/scripts/lib/env.sh"
          orv_probe_ia32; echo "ia32=$ORV_IA32 why=$ORV_IA32_WHY"
          ls /proc/sys/fs/binfmt_misc' "$ROOT" 2>&1)
    has "$out" "ia32=no why=.*emulator entry orvane-qemu-i386-$$" && has "$out" "^orvane-qemu-i386-$$"
  }
  check "an emulator entry of a live run does not make the probe take the native path" probe_live_entry
  probe_stale_entry() {  # a killed run's entry goes, and the probe then asks the host
    local out dead
    dead=$(bash -c 'echo $$')
    out=$(in_emulating_host "orvane-qemu-i386-$dead" bash -c 'source "$0/scripts/lib/env.sh"
          orv_probe_ia32; echo "ia32=$ORV_IA32"; ls /proc/sys/fs/binfmt_misc' "$ROOT" 2>&1)
    # With the entry gone nothing emulates: the answer is the kernel's own.
    ! has "$out" "orvane-qemu-i386-$dead" && has "$out" "ia32="
  }
  check "an emulator entry of a run that ended is removed before the probe" probe_stale_entry
  inside_run() {  # a program inside a run: the WoW64 prefix, the shim, the native why
    local out
    out=$(in_emulating_host orvane-qemu-i386-77 env ORV_IA32_EMULATED=orvane-qemu-i386-77 \
          ORV_IA32_NATIVE_WHY="no ia32 here" ORV_WIDTH=32 bash -c 'source "$0/scripts/lib/env.sh"
          orv_probe_ia32
          echo "ia32=$ORV_IA32 why=$ORV_IA32_WHY prefix=$WINEPREFIX kind=$ORV_PREFIX_KIND"
          echo "arch=${WINEARCH:-none} server=$WINESERVER preload=$LD_PRELOAD"' "$ROOT" 2>&1)
    has "$out" "ia32=no why=no ia32 here prefix=$ORV_BUILD/wineprefix-wow64 kind=wow64" &&
      has "$out" "arch=none server=/usr/lib/wine/wineserver64" &&
      has "$out" 'preload=.*/ia32-emulator/\$LIB/ia32_emulator_shim.so'
  }
  check "inside a run under the emulator: WoW64 prefix, native wineserver, the shim" inside_run
  mark_without_entry() {  # the mark alone (say, exported by hand) changes nothing
    local out
    out=$(ORV_IA32_EMULATED=orvane-qemu-i386-77 ORV_WIDTH=32 bash -c 'source "$0/scripts/lib/env.sh"
          echo "prefix=$WINEPREFIX arch=$WINEARCH"' "$ROOT")
    [ "$out" = "prefix=$ORV_BUILD/wineprefix arch=win32" ]
  }
  check "the emulator's mark without its entry leaves the 32-bit width as it is" mark_without_entry
else
  echo "skip the emulator entry checks: no user namespace with its own binfmt_misc here"
fi

emulator_off() {
  local out
  out=$(ORV_FORCE_NO_IA32=1 ORV_IA32_EMULATOR=0 bash -c 'source "$0/scripts/lib/env.sh"; orv_say_path
        echo "emu=$ORV_EMU"' "$ROOT")
  has "$out" "emu=no" && has "$out" "built but not run (ORV_IA32_EMULATOR=0 is set)"
}
check "ORV_IA32_EMULATOR=0 takes the plain path and says why" emulator_off
emulator_missing() {
  local out
  out=$(ORV_FORCE_NO_IA32=1 ORV_EMU_QEMU=$TMP/no-qemu bash -c 'source "$0/scripts/lib/env.sh"
        orv_probe_emulator; echo "emu=$ORV_EMU why=$ORV_EMU_WHY"' "$ROOT")
  has "$out" "emu=no why=the emulator $TMP/no-qemu is not installed (Debian package qemu-user-static)"
}
check "without qemu the plain path names the package" emulator_missing

# The real emulator, where this host has it: the probe runs inside a run and nowhere else,
# and the host's binfmt_misc is left as it was.
if [ -x /usr/bin/qemu-i386-static ] && in_emulating_host orvane-qemu-i386-1 true 2>/dev/null &&
   command -v gcc >/dev/null && echo 'int x;' | gcc -m32 -x c -c -o /dev/null - 2>/dev/null; then
  emulated_probe() {
    local out before after
    before=$(ls /proc/sys/fs/binfmt_misc)
    out=$(ORV_FORCE_NO_IA32=1 bash -c 'source "$0/scripts/lib/env.sh"; orv_probe_emulator
          echo "emu=$ORV_EMU"
          orv_emulated bash -c "\$0 ; echo probe=\$?; echo mark=\$ORV_IA32_EMULATED" "$ORV_BUILD/ia32-probe"' \
          "$ROOT" 2>&1)
    after=$(ls /proc/sys/fs/binfmt_misc)
    has "$out" "emu=ns" && has "$out" "probe=7" && has "$out" "mark=orvane-qemu-i386-" &&
      [ "$before" = "$after" ]
  }
  check "the i386 probe runs under the emulator in the run's own namespace only" emulated_probe
else
  echo "skip the emulated probe: no qemu-i386-static, namespace or -m32 compiler here"
fi

# ---- where 32-bit programs cannot run, the 32-bit paths stop at once with one clear line -----
run_stops() {
  local out rc
  out=$(ORV_FORCE_NO_IA32=1 ORV_WIDTH=32 timeout 20 "$ROOT/scripts/run" 2>&1) && rc=0 || rc=$?
  [ "$rc" -eq 1 ] && [ "$(wc -l <<<"$out")" -eq 1 ] &&
    has "$out" "cannot run 32-bit x86 programs" && has "$out" "ORV_WIDTH=64" &&
    ! has "$out" "Exec format"
}
check "scripts/run asked for the 32-bit build stops before building, with one line" run_stops
wine_stops() {
  local out rc
  out=$(ORV_FORCE_NO_IA32=1 DISPLAY=:99 "$ROOT/scripts/wine" x.exe 2>&1) && rc=0 || rc=$?
  [ "$rc" -eq 1 ] && has "$out" "cannot run 32-bit x86 programs"
}
check "scripts/wine refuses with a clear line" wine_stops

# ---- the counts of a ctest run ----------------------------------------------------------
counts() { bash -c 'source "$0/scripts/lib/env.sh"; orv_ctest_counts "$1"' "$ROOT" "$1"; }
cat >"$TMP/all.log" <<'LOG'
100% tests passed, 0 tests failed out of 16
LOG
cat >"$TMP/mixed.log" <<'LOG'
 3/6 Test  #3: c ......***Skipped   0.01 sec
67% tests passed, 2 tests failed out of 6

The following tests did not run:
	  3 - c (Skipped)
	  6 - f (Disabled)

The following tests FAILED:
	  1 - a (Failed)
	  4 - d (Not Run)
LOG
printf 'No tests were found!!!\n' >"$TMP/none.log"
check "a clean run counts all passed" [ "$(counts "$TMP/all.log")" = "16 0 0" ]
check "skipped and disabled count as skipped, not passed" [ "$(counts "$TMP/mixed.log")" = "3 2 2" ]
check "a run without its summary gives no counts" [ -z "$(counts "$TMP/none.log")" ]

# ---- bootstrap without root names what is missing ----------------------------------------
mkdir -p "$TMP/shims"
printf '#!/bin/sh\nexit 1\n' >"$TMP/shims/dpkg-query"
printf '#!/bin/sh\n[ "$1" = -u ] && echo 1000 || exec /usr/bin/id "$@"\n' >"$TMP/shims/id"
printf '#!/bin/sh\nexit 1\n' >"$TMP/shims/sudo"
chmod +x "$TMP/shims"/*
bootstrap_no_root() {
  local out rc
  out=$(PATH=$TMP/shims:$PATH "$ROOT/scripts/bootstrap" 2>&1) && rc=0 || rc=$?
  [ "$rc" -eq 1 ] && has "$out" "missing Debian packages: .*g++-mingw-w64-i686" &&
    has "$out" "needs root"
}
check "bootstrap without root names the packages and root" bootstrap_no_root

[ "$fails" -eq 0 ] || { echo "$fails checks failed"; exit 1; }
