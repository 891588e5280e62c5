#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix made for this one run and
# removed after it, so that nothing the suite registered in its own prefix
# is seen: a test of registration-free activation needs a system that has
# never heard of the control.
#   fresh_prefix.sh win32|win64 WINE-LOADER PROGRAM [ARGUMENTS...]
set -u
arch=$1 loader=$2
shift 2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quillomet-prefix.XXXXXX") || exit 1
export WINEPREFIX=$tmp/pfx WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix's own wine server goes with it; the suite's is left alone.
trap 'wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; rm -rf "$tmp"' EXIT
"$loader" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed in $WINEPREFIX"; exit 1; }
# Without a window manager each top-level DestroyWindow stalls; a crash
# would open a debugger dialog and hang until the time-out.
"$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$loader" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
  >/dev/null 2>&1
# A screen of other pixels per inch (QUILLOMET_LOGPIXELS): set before the
# first window, and read by a wine server started afresh.
if [ -n "${QUILLOMET_LOGPIXELS:-}" ]; then
  "$loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$QUILLOMET_LOGPIXELS" /f >/dev/null 2>&1 ||
    { echo "LogPixels could not be set in $WINEPREFIX"; exit 1; }
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
fi
timeout -k 5 120 "$loader" "$@"
