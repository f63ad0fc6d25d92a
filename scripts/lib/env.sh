# Shared settings of the scripts: folders, Wine environment, virtual display.
# Sourced, not run.
#
# Two widths of the Windows build, each with its own build tree, Wine prefix and Wine:
#   32: build/win,   build/wineprefix   (WINEARCH=win32), 32-bit Wine
#   64: build/win64, build/wineprefix64 (WINEARCH=win64), 64-bit Wine (wine64)
# ORV_WIDTH (32 or 64, default 32) picks the one that `wine`, `wineserver`, `winepath`
# and the prefix functions below use; orv_use_width switches within a script.

ORV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
ORV_BUILD=${ORV_BUILD:-$ORV_ROOT/build}
ORV_WIN_BUILD=$ORV_BUILD/win
ORV_WIN64_BUILD=$ORV_BUILD/win64
ORV_NATIVE_BUILD=$ORV_BUILD/native
ORV_LOGS=$ORV_BUILD/logs
ORV_SCREENSHOTS=$ORV_BUILD/screenshots
mkdir -p "$ORV_LOGS" "$ORV_SCREENSHOTS"

# Wine: a private prefix inside the build tree; nothing is ever downloaded or asked.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Under Wine a 64-bit process's heap, stacks and VirtualAlloc blocks lie below 4 GB
# unless told otherwise, so an address cut to 32 bits would still work there by luck.
# The 64-bit Windows programs therefore run with the low 4 GB kept out of every
# allocation of the process (Wine's loader leaves that range alone for the program's
# image); ORV_LOW4G=0 turns it off. Processes that a program starts itself get their
# own loader settings and are not covered.
ORV_LOW4G_RANGE=10000-100000000

# orv_use_width 32|64: the width that the Wine commands and folders below serve.
orv_use_width() {
  ORV_WIDTH=$1
  export ORV_WIDTH
  if [ "$ORV_WIDTH" = 64 ]; then
    export WINEPREFIX=${ORV_WINEPREFIX64:-$ORV_BUILD/wineprefix64}
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    ORV_WIN_BIN=$ORV_WIN64_BUILD/bin
    ORV_WIDTH_BUILD=$ORV_WIN64_BUILD
    export ORV_ARTIFACTS=$ORV_SCREENSHOTS/64
    if [ "${ORV_LOW4G:-1}" != 0 ]; then
      export WINEPRELOADRESERVE=$ORV_LOW4G_RANGE
    else
      unset WINEPRELOADRESERVE
    fi
  else
    export WINEPREFIX=${ORV_WINEPREFIX32:-$ORV_BUILD/wineprefix}
    export WINEARCH=win32
    unset WINELOADER WINESERVER WINEPRELOADRESERVE
    ORV_WIN_BIN=$ORV_WIN_BUILD/bin
    ORV_WIDTH_BUILD=$ORV_WIN_BUILD
    export ORV_ARTIFACTS=$ORV_SCREENSHOTS
  fi
  mkdir -p "$ORV_ARTIFACTS"
}

# The Wine commands of the width in use. Debian's `wine` and `winepath` start the 32-bit
# loader whenever it is installed, so the 64-bit width calls wine64 directly.
wine() {
  if [ "${ORV_WIDTH:-32}" = 64 ]; then /usr/lib/wine/wine64 "$@"; else command wine "$@"; fi
}
wineserver() {
  if [ "${ORV_WIDTH:-32}" = 64 ]; then /usr/lib/wine/wineserver64 "$@"; else command wineserver "$@"; fi
}
winepath() { wine winepath.exe "$@" 2>/dev/null | tr -d '\r'; }

orv_use_width "${ORV_WIDTH:-32}"

orv_log() { echo "[$(basename "$0")] $*"; }

# ---- Can this host execute 32-bit x86 programs? --------------------------------------
# Some x86-64 hosts cannot (kernel without IA-32 emulation, e.g. ia32_emulation=0, and
# some virtual machines): every i686 program, Wine's included, fails with "Exec format
# error". Found out by trying one, a 96-byte i386 ELF that only exits with status 7,
# written by printf so that it needs no package. ORV_FORCE_NO_IA32=1 takes the path of
# such a host anywhere. Sets ORV_IA32 (yes/no) and ORV_IA32_WHY (why not), and points
# ORV_NATIVE_BUILD at the build of the host's own word size where -m32 cannot run.
ORV_IA32=
ORV_IA32_WHY=
ORV_NATIVE_ARGS=()
ORV_IA32_PROBE_ELF='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'\
'\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'\
'\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'\
'\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'\
'\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80'
orv_probe_ia32() {
  [ -z "$ORV_IA32" ] || return 0
  if [ "${ORV_FORCE_NO_IA32:-0}" = 1 ]; then
    ORV_IA32=no
    ORV_IA32_WHY="ORV_FORCE_NO_IA32=1 is set"
  else
    # Written once and renamed into place: ctest runs scripts/wine several at a time.
    local probe=$ORV_BUILD/ia32-probe out rc
    if [ ! -x "$probe" ]; then
      printf "$ORV_IA32_PROBE_ELF" >"$probe.$$" && chmod +x "$probe.$$" && mv -f "$probe.$$" "$probe"
    fi
    out=$("$probe" 2>&1) && rc=0 || rc=$?
    if [ "$rc" -eq 7 ]; then
      ORV_IA32=yes
    else
      ORV_IA32=no
      out=${out##*: }
      ORV_IA32_WHY="a 32-bit x86 test program does not run: ${out:-exit status $rc}"
    fi
  fi
  if [ "$ORV_IA32" = no ]; then
    ORV_NATIVE_BUILD=$ORV_BUILD/native-host
    ORV_NATIVE_ARGS=(-DORV_NATIVE_HOST_WORD=ON)
  fi
}

# One line saying which path the scripts take on this host.
orv_say_path() {
  orv_probe_ia32
  if [ "$ORV_IA32" = yes ]; then
    orv_log "host runs 32-bit x86 programs: native tests with -m32, Windows tests of both" \
            "widths under Wine"
  else
    orv_log "host cannot run 32-bit x86 programs ($ORV_IA32_WHY): native tests built for" \
            "$(uname -m), Windows tests of the 64-bit build under 64-bit Wine, the 32-bit" \
            "Windows programs built but not run"
  fi
}

# Reads a ctest log and prints "PASSED FAILED SKIPPED", or nothing when ctest did not
# finish with its summary. Skipped and disabled tests count as skipped, not passed.
orv_ctest_counts() {
  local line total failed skipped
  line=$(grep -Eo "tests passed, [0-9]+ tests failed out of [0-9]+" "$1" | tail -1)
  [ -n "$line" ] || return 0
  failed=$(echo "$line" | awk '{print $3}')
  total=$(echo "$line" | awk '{print $NF}')
  skipped=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$1" || true)
  local disabled
  disabled=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Disabled\)$' "$1" || true)
  echo "$((total - failed - skipped)) $failed $((skipped + disabled))"
}

# Starts Xvfb on a free display number when there is no display; stopped on exit.
ORV_XVFB_PID=
orv_ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$ORV_LOGS/xvfb.log" 2>&1 &
    ORV_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        orv_log "virtual display $DISPLAY started"
        return 0
      fi
      kill -0 "$ORV_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$ORV_XVFB_PID" 2>/dev/null || true
    ORV_XVFB_PID=
  done
  echo "could not start a virtual display (see $ORV_LOGS/xvfb.log)" >&2
  return 1
}

orv_stop_display() {
  if [ -n "$ORV_XVFB_PID" ]; then
    kill "$ORV_XVFB_PID" 2>/dev/null || true
    wait "$ORV_XVFB_PID" 2>/dev/null || true
    ORV_XVFB_PID=
  fi
}

# Creates the Wine prefix once, silently, with the settings that keep window tests fast.
orv_ensure_prefix() {
  if [ -f "$WINEPREFIX/.orvane-ready" ]; then return 0; fi
  orv_log "creating the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wine wineboot.exe -i >"$ORV_LOGS/wineboot$ORV_WIDTH.log" 2>&1
  wineserver -w
  # Without a window manager every window close otherwise waits about 2 s.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # A crashing test ends with its exit status instead of waiting in a crash dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f >/dev/null 2>&1
  wineserver -w
  # Fonts of fonts-wine (Marlett glyphs for check marks and caption buttons).
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  touch "$WINEPREFIX/.orvane-ready"
}

# A persistent wineserver, so that each program does not wait for Wine's services.
orv_start_wineserver() {
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}

orv_stop_wineserver() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# ccache, when the machine has it (ORV_CCACHE=0 turns it off): paths are taken relative
# to the checkout, so several checkouts of the tree share one cache.
ORV_LAUNCHER=()
if [ "${ORV_CCACHE:-1}" != 0 ] && command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR=$ORV_ROOT CCACHE_NOHASHDIR=1
  ORV_LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# orv_configure_and_build [win-only|win32|win64]: configures what is not configured yet
# and builds both Windows widths and the native tree; win-only leaves out the native
# tree, win32 and win64 build just that width.
orv_configure_and_build() {
  local jobs what=${1:-all} width tree log
  orv_probe_ia32
  jobs=$(nproc)
  for width in 32 64; do
    case "$what" in win32) [ "$width" = 32 ] || continue ;; win64) [ "$width" = 64 ] || continue ;; esac
    if [ "$width" = 32 ]; then tree=$ORV_WIN_BUILD log=configure-win.log
    else tree=$ORV_WIN64_BUILD log=configure-win64.log; fi
    if [ ! -f "$tree/build.ninja" ]; then
      cmake -S "$ORV_ROOT" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$ORV_ROOT/cmake/mingw$width.cmake" "${ORV_LAUNCHER[@]}" \
        >"$ORV_LOGS/$log" 2>&1 || { cat "$ORV_LOGS/$log"; return 1; }
    fi
    orv_log "building the $width-bit Windows binaries ($tree)"
    cmake --build "$tree" -j "$jobs" || return 1
  done
  case "$what" in win-only|win32|win64) return 0 ;; esac
  if [ ! -f "$ORV_NATIVE_BUILD/build.ninja" ]; then
    cmake -S "$ORV_ROOT" -B "$ORV_NATIVE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      "${ORV_NATIVE_ARGS[@]}" "${ORV_LAUNCHER[@]}" >"$ORV_LOGS/configure-native.log" 2>&1 \
      || { cat "$ORV_LOGS/configure-native.log"; return 1; }
  fi
  orv_log "building the native tests ($ORV_NATIVE_BUILD)"
  cmake --build "$ORV_NATIVE_BUILD" -j "$jobs" || return 1
}
