#!/usr/bin/env bash
# zenara-render --check names the overlapping items of both pages.
#   panel_sheet_test.sh ZENARA_RENDER EXAMPLES_DIR
set -euo pipefail
render="$(realpath "$1")"
examples="$(realpath "$2")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

if "$render" --check >check.txt; then fail "--check passed the default panel"; fi
grep -qx "Page 2: Altitude indicator at (200, 1) and Vertical speed indicator at (240, 0)" check.txt ||
  fail "--check misses the tapes of page 2: $(cat check.txt)"
head -c 4096 /dev/zero >empty.rom
"$render" --e2 empty.rom --check >check.txt || fail "--check failed a panel with nothing shown"
[ "$(cat check.txt)" = "No overlaps" ] || fail "--check on an empty panel: $(cat check.txt)"
[ "$(find . -mindepth 1 | sort | tr '\n' ' ')" = "./check.txt ./empty.rom " ] || fail "--check wrote files"
echo "panel sheet: checks as expected"
