#!/usr/bin/env bash
# Layers point one way: a source file may include headers of its own layer
# and of the layers it is built on, never of one above or beside it.
#
#   layer           may include
#   common          common
#   toolkit         common toolkit                 the interfaces the core sees
#   core            common toolkit core            control, calculator, about
#   win32com        common win32com                Win32 and COM base
#   memory          common toolkit core memory     backend/memory
#   win32           common toolkit core win32com win32        backend/win32
#   server          common toolkit core win32com win32 server (and its
#                   generated ordinalex.h)
#
# Quoted includes are read; system headers (<...>) are not. A source file in
# a folder without a layer fails the check, and so does a quoted include
# that names none (a generated header is named in the table).
#   tools/layers/check_layers.sh [SOURCE-DIR]
set -euo pipefail
src=${1:-$(dirname "$0")/../../src}

declare -A may_include=(
  [common]="common"
  [toolkit]="common toolkit"
  [core]="common toolkit core"
  [win32com]="common win32com"
  [memory]="common toolkit core memory"
  [win32]="common toolkit core win32com win32"
  [server]="common toolkit core win32com win32 server"
)

layer_of() { # a path under src, or an include path
  case $1 in
    common/* | quillomet_version.h) echo common ;; # the latter written by the build
    toolkit/*) echo toolkit ;;
    control/* | calculator/* | about/*) echo core ;;
    win32com/*) echo win32com ;;
    backend/memory/*) echo memory ;;
    backend/win32/*) echo win32 ;;
    server/* | ordinalex.h | typelib_path.h) echo server ;;
    *) echo none ;;
  esac
}

failed=0
files=0
edges=0
cd "$src"
while IFS= read -r file; do
  files=$((files + 1))
  from=$(layer_of "$file")
  if [ "$from" = none ]; then
    echo "no layer for $file: give its folder one above"
    failed=1
    continue
  fi
  while IFS= read -r included; do
    edges=$((edges + 1))
    to=$(layer_of "$included")
    if [ "$to" = none ]; then
      echo "include of no layer: $file -> $included"
      failed=1
    elif [[ " ${may_include[$from]} " != *" $to "* ]]; then
      echo "include against the layers: $file ($from) -> $included ($to)"
      failed=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' -o -name '*.rc' | sed 's|^\./||' | sort)

[ "$failed" -eq 0 ] && echo "layers point one way: $files files, $edges includes"
exit "$failed"
