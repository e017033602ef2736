#!/usr/bin/env bash
# zenara-render from the command line: help, a picture, and clear refusals.
set -euo pipefail
render="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

help="$("$render" --help)"
for option in -o --e2 --pcf --page --static --pitot --engine --bank --pitch --heading --turn --slip --at --keys --zoom \
  --save-pcf --version; do
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
echo "zenara-render: help, picture and refusals as expected"
