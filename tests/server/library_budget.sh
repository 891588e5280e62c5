#!/usr/bin/env bash
# The shipped library within its size budget and importing system DLLs only:
#   library_budget.sh LIBRARY BUDGET-BYTES README ARCHITECTURE OBJDUMP DLL...
# Prints the size against the budget and every imported DLL; fails when the
# library is larger than the budget or imports a DLL not in the list (the
# list is matched without regard to case, as Windows loads them), and when
# README's table of sizes gives another size for ARCHITECTURE.
set -uo pipefail
library=$1 budget=$2 readme=$3 architecture=$4 objdump=$5
shift 5
allowed=" $(echo "$*" | tr '[:upper:]' '[:lower:]') "

status=0
size=$(stat -c %s "$library")
echo "size: $size bytes, budget $budget bytes ($((size * 100 / budget))%)"
if [ "$size" -gt "$budget" ]; then
  echo "FAILED: the library is $((size - budget)) bytes over its budget"
  status=1
fi
# What the README tells users is what the build makes.
grouped=$(sed ':a;s/\B[0-9]\{3\}\>/,&/;ta' <<<"$size")
row="| $architecture | $grouped bytes |"
if grep -qF -- "$row" "$readme"; then
  echo "README: $row"
else
  echo "FAILED: $readme does not give this size; its row for $architecture should begin: $row"
  status=1
fi
# An unstripped library would be measured for what it does not ship.
if "$objdump" -h "$library" | grep -q ' \.debug_'; then
  echo "FAILED: the library carries debugging sections"
  status=1
fi
imports=$("$objdump" -p "$library" | sed -n 's/^\s*DLL Name: //p')
[ -n "$imports" ] || { echo "FAILED: no import table read"; status=1; }
for dll in $imports; do
  if [[ "$allowed" == *" $(echo "$dll" | tr '[:upper:]' '[:lower:]') "* ]]; then
    echo "imports: $dll"
  else
    echo "FAILED: imports $dll, which is not a system DLL"
    status=1
  fi
done
exit $status
