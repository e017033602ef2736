#!/usr/bin/env bash
# zenara-render --check names the overlapping items of both pages; --sheet
# writes the panel sheet, read back here with pdftotext.
#   panel_sheet_test.sh ZENARA_RENDER EXAMPLES_DIR
set -euo pipefail
render="$(realpath "$1")"
examples="$(realpath "$2")"
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
enter_scratch

if "$render" --check >check.txt; then fail "--check passed the default panel"; fi
grep -qx "Page 2: Altitude indicator at (200, 1) and Vertical speed indicator at (240, 0)" check.txt ||
  fail "--check misses the tapes of page 2: $(cat check.txt)"
head -c 4096 /dev/zero >empty.rom
"$render" --e2 empty.rom --check >check.txt || fail "--check failed a panel with nothing shown"
[ "$(cat check.txt)" = "No overlaps" ] || fail "--check on an empty panel: $(cat check.txt)"
[ "$(find . -mindepth 1 | sort | tr '\n' ' ')" = "./check.txt ./empty.rom " ] || fail "--check wrote files"
rm check.txt empty.rom

# The default panel and an engine example: both pages' items and the settings.
"$render" --sheet default.pdf 2>/dev/null
"$render" --pcf "$examples/four-stroke-6cyl.pcf" --sheet engine 2>/dev/null
for pdf in default.pdf engine; do
  pages="$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')"
  [ "$pages" -ge 2 ] && [ "$pages" -le 6 ] || fail "$pdf has $pages pages"
  pdftotext -layout "$pdf" "$pdf.txt"
  for text in "Corvalen Orvex Zenara panel sheet" "Firmware version" "$(date +%Y-%m-%d)" "Items on page 1" \
    "Items on page 2" "Altitude indicator" "Engine type" "EGT alarm limit" "Tank 1 sender readings" \
    "Red line (never exceed)" "ICE warn alarm" "Overlapping items"; do
    grep -qF -- "$text" "$pdf.txt" || fail "$pdf does not say \"$text\""
  done
done
grep -qE "Settings from +the built-in defaults" default.pdf.txt || fail "default.pdf does not name its source"
grep -qE "Settings from +.*four-stroke-6cyl.pcf" engine.txt || fail "engine does not name its source"
grep -qE "Engine type +Four stroke 6xEGT 6xCHT OP OT" engine.txt || fail "engine does not name the engine"
grep -qE "EGT Channels +6" engine.txt || fail "engine does not have six EGT channels"
grep -qE "Altitude indicator +Tape, scale on the left, 2 of 4 +\(200, 1\)" default.pdf.txt ||
  fail "default.pdf does not place the altimeter tape of page 2"

# A sheet that cannot be written is refused, naming the file.
if "$render" --sheet missing/sheet.pdf 2>err.txt; then fail "wrote into a missing folder"; fi
grep -q "missing/sheet.pdf" err.txt || fail "the message does not name the file: $(cat err.txt)"
echo "panel sheet: checks and sheets as expected"
