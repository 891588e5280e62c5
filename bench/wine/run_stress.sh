#!/usr/bin/env bash
# The stress run for each kind of client, in the current Wine prefix, where
# the library is registered first (the apartment and free-threaded clients
# create it through the registry). Fails when one client's run fails.
#   run_stress.sh STRESS-EXE OCX CYCLES
set -u
stress=$1 ocx=$2 cycles=$3
wine regsvr32 /s "$ocx" || { echo "FAILED: regsvr32 $ocx"; exit 1; }
status=0
for client in form unload apartment dispatch dual null; do
  wine "$stress" "$ocx" "$cycles" --client "$client" | tr -d '\r'
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
done
exit $status
