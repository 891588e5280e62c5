#!/usr/bin/env bash
# Registers the control in the current Wine prefix and plays the demo host's
# session, writing its screenshots into SHOT-FOLDER; with --window the form
# then stays open for a person, else the program ends after the session.
#   play_session.sh DEMO-EXE OCX SHOT-FOLDER [--window]
set -euo pipefail
demo=$1 ocx=$2 shots=$3 mode=${4:-}
mkdir -p "$shots"
wine regsvr32 /s "$ocx"
if [ "$mode" = --window ]; then
  wine "$demo" --screenshots "$(winepath -w "$shots")" | tr -d '\r'
else
  wine "$demo" --script --screenshots "$(winepath -w "$shots")" | tr -d '\r'
fi
