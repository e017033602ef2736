#!/usr/bin/env bash
# Makes the example panels with the program itself: zenara-render runs the
# firmware headless from the built-in defaults, the key presses walk the
# instrument's own menus (System setup: Engine type quick select and Primary
# flight selection), and --save-pcf writes the panel as it then stands
# through the panel file code. A PNG of page 1 goes beside each panel.
#   examples/make-examples.sh [path/to/zenara-render [OUT_DIR]]
# OUT_DIR defaults to examples/ itself.
set -euo pipefail
render="$(realpath "${1:-build/zenara-render}")"
cd "${2:-$(dirname "${BASH_SOURCE[0]}")}"

# The keys 0.4 s apart from 3.5 s on, when the panel is up.
keys() {
  local t=35 list=""
  for key in "$@"; do
    list="$list,$((t / 10)).$((t % 10)):$key"
    t=$((t + 4))
  done
  echo "${list#,}"
}
repeat() { for ((i = 0; i < $1; i++)); do echo "$2"; done; }

# Menu, Prev, Select opens System setup; five times Next, Select its "Engine
# type quick select". The engine is chosen with Next and Select, confirmed
# with "+", and "+" puts it on page 1 (beside the VFR dials), "-" on page 2
# (below the IFR tapes). The list then returns to System setup, where Prev,
# Select opens "Primary flight selection": VFR panel to page 1, IFR panel to
# page 2, each confirmed with "+". Three times Menu leaves the menus, which
# saves the settings.
engine_on_both_pages() {
  local nexts=$1
  echo Menu Prev Select $(repeat 5 Next) Select $(repeat "$nexts" Next) Select Plus Plus \
    Select $(repeat "$nexts" Next) Select Plus Minus \
    Prev Select Select Plus Plus Next Select Plus Minus Menu Menu Menu
}

make_panel() {
  local name=$1 nexts=$2
  "$render" --keys "$(keys $(engine_on_both_pages "$nexts"))" --at 22 --save-pcf "$name.pcf" -o "$name.png"
}

"$render" --save-pcf default.pcf -o default.png
make_panel rotax582 2          # "Rotax582 2xEGT 2xCHT WT"
make_panel four-stroke-6cyl 7  # "Four stroke 6xEGT 6xCHT OP OT"
