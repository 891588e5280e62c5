#!/usr/bin/env bash
# Builds and runs the examples against an unpacked Quillomet archive:
#   run_examples.sh ARCHIVE-FOLDER WORK-FOLDER
#
# ARCHIVE-FOLDER holds x86/, x64/ and include/ as the archive lays them out.
# WORK-FOLDER receives the builds (it is created; earlier builds are reused).
#
#   1. host/ is configured and built with MinGW-w64 for x86, and for x64 in a
#      64-bit prefix, against the archive alone; each build runs under Wine
#      before anything is registered (registration-free activation).
#   2. x86/Quillomet.ocx is registered with regsvr32, script/drive.vbs runs
#      in the 32-bit cscript, and the control is unregistered again.
# Each program must exit with 0 and print its summary line with 0 failed.
#
# Wine: WINEPREFIX names a prefix for this run alone (created when missing;
# with WINEARCH=win64, the default, both architectures run in it); without
# WINEPREFIX a 64-bit prefix is made in WORK-FOLDER. The control must not be
# registered in it beforehand, and its wine server is stopped at the end.
# Without a DISPLAY the script runs itself under xvfb-run.
# Needs: cmake, i686-w64-mingw32-g++ (x86_64-w64-mingw32-g++ for x64), wine.
set -u

if [ $# -ne 2 ]; then
  echo "usage: $0 ARCHIVE-FOLDER WORK-FOLDER" >&2
  exit 2
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${QUILLOMET_EXAMPLES_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "FAILED: no DISPLAY and no xvfb-run" >&2; exit 1; }
  # One display for every Wine process of the run: the first one fixes it
  # for the prefix's wine server.
  exec env QUILLOMET_EXAMPLES_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

examples=$(cd "$(dirname "$0")" && pwd)
archive=$(cd "$1" 2>/dev/null && pwd) || { echo "FAILED: no archive folder $1" >&2; exit 1; }
if ! mkdir -p "$2" || ! work=$(cd "$2" && pwd); then
  echo "FAILED: cannot make $2" >&2
  exit 1
fi
for file in include/ordinalex.h include/ordinalex_i.c x86/Quillomet.ocx x86/Quillomet.manifest; do
  [ -f "$archive/$file" ] || { echo "FAILED: the archive has no $file" >&2; exit 1; }
done

export WINEPREFIX=${WINEPREFIX:-$work/wineprefix} WINEARCH=${WINEARCH:-win64}
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
failures=()
fail() {
  echo "FAILED: $*"
  failures+=("$*")
}
# Runs a Windows program, prints its output without carriage returns, and
# succeeds when it exited with 0 and its last summary line names 0 failed.
#   expect_summary NAME SUMMARY-PREFIX COMMAND...
expect_summary() {
  local name=$1 prefix=$2 output status summary
  shift 2
  output=$(timeout -k 5 120 "$@" 2>&1)
  status=$?
  output=${output//$'\r'/}
  echo "$output" | sed 's/^/    /'
  summary=$(grep -E "^$prefix: [0-9]+ checks passed, [0-9]+ failed$" <<<"$output" | tail -n 1)
  if [ -z "$summary" ]; then
    fail "$name printed no summary line (exit status $status): it stopped early"
  elif [[ "$summary" != *" 0 failed" || "$summary" == *": 0 checks passed"* ]]; then
    fail "$name: $summary"
  elif [ "$status" -ne 0 ]; then
    fail "$name exited with $status after \"$summary\""
  else
    echo "  $name: $summary"
  fi
}
trap 'wineserver -k >/dev/null 2>&1' EXIT

echo "== Wine prefix $WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine wineboot -i >/dev/null 2>&1 || { echo "FAILED: wineboot in $WINEPREFIX" >&2; exit 1; }
fi
# Without a window manager each top-level DestroyWindow stalls; a crash
# would wait for a debugger dialog until the time-out.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
architectures=(x86)
if [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
  architectures+=(x64)
else
  echo "  a 32-bit prefix: the x64 host is not built"
fi
# The class as the archive's manifest declares it.
clsid=$(sed -n 's/.*<comClass[^>]*clsid="\([^"]*\)".*/\1/p' "$archive/x86/Quillomet.manifest" | head -n 1)
[ -n "$clsid" ] || { echo "FAILED: the archive's x86 manifest declares no class" >&2; exit 1; }
registered() { # in the registry view of the loader given
  "$1" reg query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1
}
if registered wine || { [[ " ${architectures[*]} " == *" x64 "* ]] && registered "$wine64"; }; then
  echo "FAILED: the control is already registered in $WINEPREFIX: the host would not show" \
    "registration-free activation; give this run a prefix of its own" >&2
  exit 1
fi

for architecture in "${architectures[@]}"; do
  echo "== host, $architecture: build against the archive, run without registration"
  if [ "$architecture" = x86 ]; then
    toolchain=mingw-i686 loader=wine
  else
    toolchain=mingw-x86_64 loader=$wine64
  fi
  build=$work/host-$architecture
  start=$SECONDS
  if ! cmake -S "$examples/host" -B "$build" \
      -DCMAKE_TOOLCHAIN_FILE="$examples/toolchains/$toolchain.cmake" \
      -DQUILLOMET_SDK="$archive" >"$build.configure.log" 2>&1; then
    cat "$build.configure.log"
    fail "host $architecture: configure (log $build.configure.log)"
    continue
  fi
  if ! cmake --build "$build" -j2 >"$build.build.log" 2>&1; then
    cat "$build.build.log"
    fail "host $architecture: build (log $build.build.log)"
    continue
  fi
  echo "  built in $((SECONDS - start)) s"
  expect_summary "host $architecture" examples/host "$loader" "$build/quillomet_host.exe"
done

echo "== script: x86/Quillomet.ocx registered, drive.vbs in cscript"
ocx=$(winepath -w "$archive/x86/Quillomet.ocx")
# In a 64-bit prefix plain "wine" starts the 32-bit regsvr32 and cscript.
if timeout -k 5 120 wine regsvr32 /s "$ocx"; then
  expect_summary script examples/script \
    wine cscript //nologo "$(winepath -w "$examples/script/drive.vbs")"
  # The archive's README promises what its first script prints.
  if [ -f "$archive/README.txt" ]; then
    sed -n '/^  Set q = CreateObject/,/^  WScript.Echo/s/^  //p' "$archive/README.txt" \
      | tr -d '\r' >"$work/first.vbs"
    promised=$(tr -d '\r' <"$archive/README.txt" | sed -n 's/^It prints \([^:]*\):.*/\1/p')
    printed=$(timeout -k 5 120 wine cscript //nologo "$(winepath -w "$work/first.vbs")" 2>&1 |
      tr -d '\r')
    if [ -n "$promised" ] && [ "$printed" = "$promised" ]; then
      echo "  README.txt's first script printed $printed, as it says"
    else
      fail "README.txt's first script printed '$printed', the README says '$promised'"
    fi
  fi
  timeout -k 5 120 wine regsvr32 /s /u "$ocx" || fail "regsvr32 /u x86\\Quillomet.ocx"
else
  fail "regsvr32 x86\\Quillomet.ocx"
fi

if [ ${#failures[@]} -gt 0 ]; then
  echo "examples: ${#failures[@]} failed: ${failures[*]}"
  exit 1
fi
echo "examples: host (${architectures[*]}) and script passed"
