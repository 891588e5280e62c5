#!/usr/bin/env bash
# Layers point one way: a source file may include headers of its own layer
# and of the layers below it, never of one above.
#
#   0 common
#   1 toolkit      the interfaces the core sees: window toolkit, host
#                  container, platform services
#   2 control, calculator, about      the portable core
#   3 backend/memory, backend/win32
#   4 server       Quillomet.ocx (and its generated ordinalex.h)
#
# KNOWN_UP lists the upward includes still to be removed: the Win32 backend
# uses the server's COM and conversion helpers, which belong in a base of
# their own below both. Any other upward include fails the check, and so
# do a source file in a folder without a layer and an entry of KNOWN_UP
# that no longer occurs (take it out). Quoted includes are read; a
# relative or unprefixed one (a generated header) belongs to no layer.
#   tools/layers/check_layers.sh [SOURCE-DIR]
set -euo pipefail
src=${1:-$(dirname "$0")/../../src}

KNOWN_UP=(
  "backend/win32 -> server/com/"
  "backend/win32 -> server/resources/resource_ids.h"
  "backend/win32 -> server/text_conversion.h"
  "backend/win32 -> server/variant_conversion.h"
)

layer_of_path() { # a path under src, or an include path
  case $1 in
    common/*) echo 0 ;;
    toolkit/*) echo 1 ;;
    control/* | calculator/* | about/*) echo 2 ;;
    backend/memory/* | backend/win32/*) echo 3 ;;
    server/* | ordinalex.h) echo 4 ;;
    *) echo -1 ;;
  esac
}
owner_of_path() { # the folder a KNOWN_UP entry names a source by
  case $1 in
    backend/*) echo "${1%%/*}/$(cut -d/ -f2 <<<"$1")" ;;
    *) echo "${1%%/*}" ;;
  esac
}

declare -A seen=()
failed=0
cd "$src"
while IFS= read -r file; do
  from=$(layer_of_path "$file")
  if [ "$from" -lt 0 ]; then
    echo "no layer for $file: give its folder one above"
    failed=1
    continue
  fi
  while IFS= read -r included; do
    to=$(layer_of_path "$included")
    [ "$to" -le "$from" ] && continue
    allowed=""
    for entry in "${KNOWN_UP[@]}"; do
      source=${entry%% -> *} target=${entry##* -> }
      if [ "$(owner_of_path "$file")" = "$source" ] && [[ $included == "$target"* ]]; then
        allowed=$entry
        break
      fi
    done
    if [ -n "$allowed" ]; then
      seen[$allowed]=1
    else
      echo "upward include: $file -> $included"
      failed=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)

for entry in "${KNOWN_UP[@]}"; do
  if [ -z "${seen[$entry]:-}" ]; then
    echo "no longer included, take it out of KNOWN_UP: $entry"
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "layers point one way (${#KNOWN_UP[@]} known upward edges left)"
exit "$failed"
