#!/usr/bin/env bash
# Registers Quillomet.ocx with Wine's regsvr32 twice, checks every key the
# registration must write, unregisters and checks that nothing is left,
# then registers again for the tests that follow. Prints "N passed, N failed".
#   registration_test.sh OCX PLATFORM      PLATFORM: win32 or win64
set -u
ocx=$(winepath -w "$1")
platform=$2
. "$(dirname "$0")/check_support.sh"
query() { "${WINE:-wine}" reg query "$@" 2>/dev/null | tr -d '\r'; }
# The default or named value of a key, as reg query prints it.
value_is() { # key, name ('' for default), expected
  local out
  if [ -z "$2" ]; then out=$(query "$1" /ve); else out=$(query "$1" /v "$2"); fi
  grep -qiF -- "$3" <<<"$out"
}
absent() { ! "${WINE:-wine}" reg query "$1" >/dev/null 2>&1; }
present() { "${WINE:-wine}" reg query "$1" >/dev/null 2>&1; }
# Controls, and safe for initialising; not safe for scripting.
categories=('{40FC6ED4-2438-11CF-A3DB-080036F12502}' '{7DD95802-9882-11CF-9FA9-00AA006C42C4}')
scripting='{7DD95801-9882-11CF-9FA9-00AA006C42C4}'

check "first registration" "${WINE:-wine}" regsvr32 /s "$1"
check "second registration" "${WINE:-wine}" regsvr32 /s "$1"
check "class name" value_is "HKCR\\CLSID\\$clsid" '' 'Quillomet'
check "in-process server path" value_is "HKCR\\CLSID\\$clsid\\InprocServer32" '' "$ocx"
check "apartment threading" value_is "HKCR\\CLSID\\$clsid\\InprocServer32" ThreadingModel 'Apartment'
check "ProgID of the class" value_is "HKCR\\CLSID\\$clsid\\ProgID" '' 'Ordinalex.Quillomet'
check "class of the ProgID" value_is "HKCR\\Ordinalex.Quillomet\\CLSID" '' "$clsid"
check "control marker" "${WINE:-wine}" reg query "HKCR\\CLSID\\$clsid\\Control"
check "toolbox bitmap" value_is "HKCR\\CLSID\\$clsid\\ToolboxBitmap32" '' "$ocx, 30000"
check "misc status" value_is "HKCR\\CLSID\\$clsid\\MiscStatus" '' '131473'
check "type library of the class" value_is "HKCR\\CLSID\\$clsid\\TypeLib" '' "$libid"
check "version" value_is "HKCR\\CLSID\\$clsid\\Version" '' '1.0'
for category in "${categories[@]}"; do
  check "category $category" present "HKCR\\CLSID\\$clsid\\Implemented Categories\\$category"
done
check "not safe for scripting" absent "HKCR\\CLSID\\$clsid\\Implemented Categories\\$scripting"
check "type library registered" value_is "HKCR\\TypeLib\\$libid\\1.0" '' 'Ordinalex'
check "type library path" value_is "HKCR\\TypeLib\\$libid\\1.0\\409\\$platform" '' "$ocx"
check "neutral-locale type library path" value_is "HKCR\\TypeLib\\$libid\\1.0\\0\\$platform" '' "$ocx"
check "dual interface registered" value_is "HKCR\\Interface\\$iid" '' '_Quillomet'
check "event interface registered" value_is "HKCR\\Interface\\$diid" '' '__Quillomet'
check "dual interface's type library" value_is "HKCR\\Interface\\$iid\\TypeLib" '' "$libid"

check "unregistration" "${WINE:-wine}" regsvr32 /s /u "$1"
check "no class key" absent "HKCR\\CLSID\\$clsid"
check "no ProgID key" absent "HKCR\\Ordinalex.Quillomet"
check "no type library key" absent "HKCR\\TypeLib\\$libid"
check "no dual interface key" absent "HKCR\\Interface\\$iid"
check "no event interface key" absent "HKCR\\Interface\\$diid"
# Unregistering what is not registered succeeds, so a second /u is no error.
check "second unregistration" "${WINE:-wine}" regsvr32 /s /u "$1"

# Per user: regsvr32 /n /i:user calls DllInstall alone. Everything lands
# under the user's classes, nothing under the machine's, and /u takes all of
# it away again.
user='HKCU\Software\Classes'
machine='HKLM\Software\Classes'
user_keys=("CLSID\\$clsid" 'Ordinalex.Quillomet' "TypeLib\\$libid" "Interface\\$iid" "Interface\\$diid")
check "per-user registration" "${WINE:-wine}" regsvr32 /s /n /i:user "$1"
check "per-user server path" value_is "$user\\CLSID\\$clsid\\InprocServer32" '' "$ocx"
for category in "${categories[@]}"; do
  check "per-user category $category" present \
    "$user\\CLSID\\$clsid\\Implemented Categories\\$category"
done
check "per-user ProgID" value_is "$user\\Ordinalex.Quillomet\\CLSID" '' "$clsid"
check "per-user type library path" value_is "$user\\TypeLib\\$libid\\1.0\\409\\$platform" '' "$ocx"
check "per-user neutral-locale path" value_is "$user\\TypeLib\\$libid\\1.0\\0\\$platform" '' "$ocx"
check "per-user type library flags" value_is "$user\\TypeLib\\$libid\\1.0\\FLAGS" '' '2'
check "per-user dual interface" value_is "$user\\Interface\\$iid\\TypeLib" '' "$libid"
check "per-user event interface marshaller" value_is "$user\\Interface\\$diid\\ProxyStubClsid32" '' \
  '{00020424-0000-0000-C000-000000000046}'
for key in "${user_keys[@]}"; do
  check "nothing of the machine's: $key" absent "$machine\\$key"
done
check "an unknown install command refused" refused "${WINE:-wine}" regsvr32 /s /n /i:everyone "$1"
check "per-user unregistration" "${WINE:-wine}" regsvr32 /s /u /n /i:user "$1"
for key in "${user_keys[@]}"; do
  check "nothing left for the user: $key" absent "$user\\$key"
done
check "second per-user unregistration" "${WINE:-wine}" regsvr32 /s /u /n /i:user "$1"

check "registration again" "${WINE:-wine}" regsvr32 /s "$1"
report
