#!/usr/bin/env bash
# zenara-render from the command line: help, a picture, and clear refusals.
set -euo pipefail
render="$1"
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
enter_scratch

help="$("$render" --help)"
for option in -o --e2 --pcf --page --static --pitot --engine --bank --pitch --heading --turn --slip --at --keys --zoom \
  --save-pcf --version --altitude-ft --ias-mph --rpm --scenario --frames --every; do
  grep -q -- "$option" <<<"$help" || fail "--help does not name $option"
done

"$render" --page 2 --engine 20=52 --bank -20 --keys 3.0:Menu,3.5:Menu --at 4 --zoom 2 -o out.png
[ "$(head -c 8 out.png | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "out.png is not a PNG"
[ "$(find . -mindepth 1 | sort)" = "./out.png" ] || fail "wrote more than out.png: $(find . -mindepth 1)"

for bad in "--page 3" "--engine 22=5" "--engine 17=256" "--keys 3:Jump" "--at -1" "--zoom 0" "--static x" "--nonsense"; do
  # shellcheck disable=SC2086
  if "$render" $bad -o bad.png 2>err.txt; then fail "accepted $bad"; fi
  [ -s err.txt ] || fail "no message for $bad"
  [ ! -e bad.png ] || fail "wrote a picture for $bad"
done
if "$render" 2>err.txt; then fail "ran without -o"; fi

# The panel as the menus leave it is saved: the pilot number (Menu, Next, +, Menu) differs in one byte.
"$render" --save-pcf default.pcf -o plain.png
"$render" --keys 3.5:Menu,4.0:Next,4.5:Plus,5.0:Menu --at 6 --save-pcf pilot.pcf -o keyed.png
[ "$(cmp -l default.pcf pilot.pcf | wc -l)" = 1 ] || fail "the menus' change is not the one difference in the saved panel"
"$render" --pcf pilot.pcf -o loaded.png || fail "the saved panel does not load"
rm plain.png keyed.png loaded.png default.pcf pilot.pcf

# A panel file that is missing or cut short is refused, naming the file.
printf '\001\000\075\002' >short.pcf
for file in missing.pcf short.pcf; do
  if "$render" --pcf "$file" -o bad.png 2>err.txt; then fail "rendered $file"; fi
  grep -q "$file" err.txt || fail "the message for $file does not name it: $(cat err.txt)"
  [ ! -e bad.png ] || fail "wrote a picture for $file"
done
# One meaning for raw numbers: the window's static position 1012 is 2007 ft,
# whether given as the position, as feet, or by a scenario.
"$render" --static 1012 --at 4 -o position.png
"$render" --altitude-ft 2007 --at 4 -o feet.png
printf 't,altitude_ft\n0,2007\n4,2007\n' >level.csv
"$render" --scenario level.csv --at 4 -o scenario.png
cmp -s position.png feet.png || fail "--static 1012 and --altitude-ft 2007 differ"
cmp -s position.png scenario.png || fail "the scenario at 2007 ft differs from --static 1012"

# Frames over a whole scenario; a malformed one is refused before anything is drawn.
printf 't,ias_mph,rpm,engine_on\n0,0,0,1\n2,90,5000,1\n' >short.csv
"$render" --scenario short.csv --frames frames --every 0.5 >/dev/null
[ "$(ls frames | tr '\n' ' ')" = "frame-00000.png frame-00001.png frame-00002.png frame-00003.png frame-00004.png " ] ||
  fail "frames: $(ls frames)"
cmp -s frames/frame-00000.png frames/frame-00004.png && fail "the first and last frames are the same"
printf 't,ias_mph\n0,50\n1,fast\n' >bad.csv
if "$render" --scenario bad.csv --frames badframes 2>err.txt; then fail "played bad.csv"; fi
grep -q 'bad.csv:3: column 2 (ias_mph)' err.txt || fail "the message does not name line and column: $(cat err.txt)"
[ ! -e badframes ] || fail "made a frame folder for a bad scenario"
if "$render" --frames frames -o x.png 2>err.txt; then fail "--frames without --scenario"; fi

echo "zenara-render: help, picture and refusals as expected"
