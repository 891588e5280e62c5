#!/usr/bin/env bash
# Wine prefixes for the project's runs: quiet, made once and copied.
#
#   prefix.sh template ARCH DIR
#       Makes a prefix of ARCH (win32 or win64) in DIR/pfx to copy from.
#   prefix.sh fresh ARCH [--xvfb [WxH]] [--logpixels N] [--keep-server] -- COMMAND...
#       Runs COMMAND in a prefix of its own, removed afterwards, and exits
#       with COMMAND's status. WINEPREFIX and WINEARCH are exported to it.
#       --xvfb: under a display of its own (1024x768 unless given);
#       --logpixels N: on a screen of N pixels per inch.
#
# A fresh prefix is a copy of the template of its architecture when
# QUILLOMET_WINE_TEMPLATES names a folder that holds one (ARCH/pfx), else
# made by wineboot. Making one takes 10 to 25 s; a copy takes a fraction of a
# second: the system's libraries (most of its 1.3 GB) are linked, not copied,
# as Wine never writes them; everything else is copied.
set -u

usage() {
  echo "usage: $0 template ARCH DIR | fresh ARCH [--xvfb [WxH]] [--logpixels N] -- COMMAND..." >&2
  exit 2
}

# The loader that runs the system's tools of the architecture: in a 64-bit
# prefix plain "wine" starts the 32-bit ones.
loader_of() {
  if [ "$1" = win64 ]; then echo /usr/lib/wine/wine64; else echo wine; fi
}

quiet_environment() { # PREFIX ARCH
  export WINEPREFIX=$1 WINEARCH=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# wineboot, then what every run needs: without a window manager each
# top-level DestroyWindow stalls; a crash would open a debugger dialog and
# hang until the time-out.
boot() { # PREFIX ARCH
  local loader
  loader=$(loader_of "$2")
  quiet_environment "$1" "$2"
  mkdir -p "$(dirname "$1")"
  "$loader" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed in $1" >&2; return 1; }
  "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
    "$loader" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >/dev/null 2>&1 || { echo "the prefix $1 could not be set up" >&2; return 1; }
  # The registry is written when the server ends: a copy taken before that
  # would miss it.
  wineserver -w
}

copy_template() { # TEMPLATE TARGET
  local from=$1 to=$2 entry
  mkdir -p "$to"
  for entry in "$from"/* "$from"/.[!.]*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    [ "$(basename "$entry")" = drive_c ] || cp -a "$entry" "$to/"
  done
  (cd "$from" && find drive_c -type d) | (cd "$to" && xargs -d '\n' mkdir -p)
  # Files Wine only reads are linked; the rest (the registry, the users'
  # folders, ini files) copied, so that nothing a run writes reaches the
  # template.
  (cd "$from" && find drive_c -type f -path 'drive_c/windows/*' \
    \( -path '*/system32/*' -o -path '*/syswow64/*' -o -path '*/winsxs/*' \) -print0) |
    (cd "$from" && xargs -0 cp -l --parents -t "$to")
  (cd "$from" && find drive_c \( -type f -o -type l \) -print0 |
    grep -zvE '^drive_c/windows/(system32|syswow64|winsxs)/' | xargs -0 -r cp -a --parents -t "$to")
}

cmd_template() { # ARCH DIR
  [ $# -eq 2 ] || usage
  rm -rf "$2/pfx"
  boot "$2/pfx" "$1"
}

cmd_fresh() {
  local arch=${1:-} screen="" logpixels="" loader tmp status
  [ -n "$arch" ] || usage
  shift
  while [ $# -gt 0 ]; do
    case "$1" in
      --xvfb)
        screen=1024x768
        if [[ ${2:-} =~ ^[0-9]+x[0-9]+$ ]]; then screen=$2; shift; fi ;;
      --logpixels) logpixels=${2:?}; shift ;;
      --) shift; break ;;
      *) usage ;;
    esac
    shift
  done
  [ $# -gt 0 ] || usage
  loader=$(loader_of "$arch")
  tmp=$(mktemp -d "${TMPDIR:-/tmp}/quillomet-prefix.XXXXXX") || exit 1
  quiet_environment "$tmp/pfx" "$arch"
  # The prefix's own wine server goes with it; any other is left alone.
  trap 'wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; rm -rf "$tmp"' EXIT
  local template=${QUILLOMET_WINE_TEMPLATES:-}/$arch/pfx
  if [ -n "${QUILLOMET_WINE_TEMPLATES:-}" ] && [ -f "$template/system.reg" ]; then
    copy_template "$template" "$WINEPREFIX" || { echo "could not copy $template" >&2; exit 1; }
  else
    boot "$WINEPREFIX" "$arch" || exit 1
  fi
  # A screen of other pixels per inch: set before the first window, and read
  # by a wine server started afresh.
  if [ -n "$logpixels" ]; then
    "$loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$logpixels" /f \
      >/dev/null 2>&1 || { echo "LogPixels could not be set in $WINEPREFIX" >&2; exit 1; }
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  if [ -n "$screen" ]; then
    # The first Wine process of a prefix fixes the display for its server.
    xvfb-run -a -s "-screen 0 ${screen}x24" "$@"
  else
    "$@"
  fi
  status=$?
  exit $status
}

case "${1:-}" in
  template) shift; cmd_template "$@" ;;
  fresh) shift; cmd_fresh "$@" ;;
  *) usage ;;
esac
