#!/usr/bin/env bash
# The example panels are what the instrument's menus make today (run
# examples/make-examples.sh after changing a preset), and each arranged
# example differs from the default panel.
#   examples_test.sh ZENARA_RENDER EXAMPLES_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
render="$(realpath "$1")"
examples="$(realpath "$2")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$examples/make-examples.sh" "$render" "$work"
made=0
for pcf in "$work"/*.pcf; do
  name="$(basename "$pcf")"
  cmp -s "$pcf" "$examples/$name" || fail "examples/$name is not what examples/make-examples.sh makes now"
  made=$((made + 1))
  [ "$name" = default.pcf ] || ! cmp -s "$pcf" "$work/default.pcf" || fail "$name is the default panel"
done
[ "$made" -ge 3 ] || fail "only $made example panels"
# Each example flight plays on its panel with every value in reach.
for pair in default:circuit rotax582:rotax582-runup four-stroke-6cyl:four-stroke-6cyl-climb; do
  panel="${pair%%:*}" flight="${pair#*:}"
  "$render" --pcf "$examples/$panel.pcf" --scenario "$examples/$flight.csv" --at 120 -o "$work/flight.png" \
    2>"$work/err.txt" || fail "$flight.csv does not play: $(cat "$work/err.txt")"
  [ ! -s "$work/err.txt" ] || fail "$flight.csv on $panel.pcf: $(cat "$work/err.txt")"
done
echo "examples: $made panels as the menus make them, and their flights"
