#!/usr/bin/env bash
# Runs a test script with Wine's cscript. A script error or a failed
# CreateObject makes cscript print nothing and exit 0, so the script's own
# closing line "N passed, 0 failed" is required.
set -u
cd "$(dirname "$1")" || exit 1
output=$(timeout 120 "${WINE:-wine}" cscript "$(basename "$1")" 2>&1 | tr -d '\r')
echo "$output"
summary=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' <<<"$output" | tail -n 1)
[ -n "$summary" ] || { echo "no summary line: the script stopped early"; exit 1; }
[[ "$summary" == *" passed, 0 failed" ]]
