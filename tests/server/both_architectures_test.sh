#!/usr/bin/env bash
# Both libraries in one 64-bit prefix, which runs 32-bit programs too:
#   - documents saved by either library load in the other to a state that
#     saves the same bytes (the golden-file test of one architecture reading
#     what the other's wrote);
#   - both registered side by side, the type library's version key shared
#     with win32 and win64 under it, each library working from a host of its
#     own architecture, and unregistering one leaving the other working.
# Leaves the 64-bit library registered, as the suite's fixture set it up.
#   both_architectures_test.sh OCX32 OCX64 GOLDEN32 GOLDEN64 SCRIPT WINE64
set -u
for built in "$1" "$3"; do
  [ -f "$built" ] || { echo "FAILED: the 32-bit build is missing $built: build preset mingw32 first"; exit 1; }
done
ocx32=$1 ocx64=$2 golden32=$3 golden64=$4 script=$5 wine64=$6
wine32=wine # in a 64-bit prefix, the loader that starts 32-bit programs
. "$(dirname "$0")/check_support.sh"
key() { "$wine64" reg query "$1"; }
key32() { "$wine32" reg query "$1"; }
# What a client in another apartment needs of the type library: its path for
# the platform and both interfaces' keys, in the view of either architecture.
marshalling_keys() { # platform
  key "HKCR\\TypeLib\\$libid\\1.0\\409\\$1" &&
    key "HKCR\\Interface\\$iid\\TypeLib" && key "HKCR\\Interface\\$diid\\TypeLib" &&
    key32 "HKCR\\Interface\\$iid\\TypeLib" && key32 "HKCR\\Interface\\$diid\\TypeLib"
}
# The automation script through the script host of one architecture; it
# prints "N passed, 0 failed" only when it created and drove the control.
script_passes() { # wine loader
  (cd "$(dirname "$script")" && timeout 120 "$1" cscript "$(basename "$script")" 2>&1 |
    tr -d '\r' | grep -q ' passed, 0 failed$')
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/from32" "$tmp/from64"
check "32-bit library saves its documents" \
  env QUILLOMET_WRITE_GOLDEN=1 QUILLOMET_DOCUMENTS_DIR="$tmp/from32" "$wine32" "$golden32" "$ocx32"
check "64-bit library saves its documents" \
  env QUILLOMET_WRITE_GOLDEN=1 QUILLOMET_DOCUMENTS_DIR="$tmp/from64" "$wine64" "$golden64" "$ocx64"
check "64-bit documents load in the 32-bit library" \
  env QUILLOMET_DOCUMENTS_DIR="$tmp/from64" "$wine32" "$golden32" "$ocx32"
check "32-bit documents load in the 64-bit library" \
  env QUILLOMET_DOCUMENTS_DIR="$tmp/from32" "$wine64" "$golden64" "$ocx64"
check "a document of each" test -s "$tmp/from32/chosen.stream" -a -s "$tmp/from64/chosen.stream"

w32=$(winepath -w "$ocx32") w64=$(winepath -w "$ocx64")
check "64-bit registration" "$wine64" regsvr32 /s "$w64"
check "32-bit registration" "$wine32" regsvr32 /s "$w32"
check "type library for win64" key "HKCR\\TypeLib\\$libid\\1.0\\0\\win64"
check "type library for win32" key "HKCR\\TypeLib\\$libid\\1.0\\0\\win32"
check "64-bit host" script_passes "$wine64"
check "32-bit host" script_passes "$wine32"

check "64-bit unregistration" "$wine64" regsvr32 /s /u "$w64"
check "32-bit host without the 64-bit library" script_passes "$wine32"
check "64-bit host refused" refused script_passes "$wine64"
check "type library for win32 kept" key "HKCR\\TypeLib\\$libid\\1.0\\0\\win32"
check "what the 32-bit library's marshalling needs kept" marshalling_keys win32
check "no type library for win64" refused key "HKCR\\TypeLib\\$libid\\1.0\\0\\win64"

check "64-bit registration again" "$wine64" regsvr32 /s "$w64"
check "32-bit unregistration" "$wine32" regsvr32 /s /u "$w32"
check "64-bit host without the 32-bit library" script_passes "$wine64"
check "32-bit host refused" refused script_passes "$wine32"
check "type library for win64 kept" key "HKCR\\TypeLib\\$libid\\1.0\\0\\win64"
check "what the 64-bit library's marshalling needs kept" marshalling_keys win64
check "no type library for win32" refused key "HKCR\\TypeLib\\$libid\\1.0\\0\\win32"

report
