#!/usr/bin/env bash
# The demo host plays its session and writes its eight screenshots as PNG.
# Prints "N passed, N failed".
set -u
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
timeout 120 "${WINE:-wine}" "$1" --script --screenshots "$(winepath -w "$out")" | tr -d '\r'
passed=0 failed=0
for shot in 1-gallery 2-focus 3-typed 4-tabbed-away 5-spun 6-calculator 7-handed-back 8-about; do
  if [ "$(head -c 4 "$out/$shot.png" 2>/dev/null | od -An -tx1 | tr -d ' ')" = 89504e47 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); echo "FAILED: $shot.png missing or not a PNG"
  fi
done
# Typing and the spinner changed what the field shows.
if cmp -s "$out/1-gallery.png" "$out/3-typed.png" || cmp -s "$out/3-typed.png" "$out/5-spun.png"; then
  failed=$((failed + 1)); echo "FAILED: the session changed nothing on screen"
else
  passed=$((passed + 1))
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
