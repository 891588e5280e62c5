#!/usr/bin/env bash
# Rebuilds the reference generator and rewrites docs/reference.md from the
# type library, the generated C++ header, the control's property table and
# docs/reference_examples.txt and docs/reference_pictures.txt.
#
# The generator reads the type library through oleaut32, so it runs under
# Wine: in $WINEPREFIX when that is set, else in a fresh 32-bit prefix of
# its own that is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake --preset mingw32 >/dev/null
regenerate=(cmake --build build/mingw32 --target reference_update -j "$(nproc)")
if [ -n "${WINEPREFIX:-}" ]; then
  "${regenerate[@]}"
else
  tools/wine/prefix.sh fresh win32 -- "${regenerate[@]}"
fi
