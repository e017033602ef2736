#!/usr/bin/env bash
# Every command-line program refuses a bad command line the same way: exit
# status 2, a message naming what was wrong, nothing on standard output and
# no file written; and --help answers with status 0.
#   usage_errors_test.sh BUILD_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
build="$(realpath "$1")"
enter_scratch
export QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$work/data"

# program | arguments | what the message must name
cases=(
  "zenara|--nonsense|nonsense"
  "zenara|--data-dir|data-dir"
  "zenara|--zoom 9|--zoom"
  "zenara|stray|stray"
  "zenara|--scenario-udp x|scenario-udp"
  "zenara|--scenario-udp 5500 --scenario-columns ias_mph,wind|wind"
  "zenara-render|--nonsense -o out.png|nonsense"
  "zenara-render|-o out.png --zoom|zoom"
  "zenara-panel|upload|--port"
  "zenara-panel|sideways --port /dev/null|upload or download"
  "zenara-panel|--nonsense upload|nonsense"
  "zenara-pack|--flash|--flash"
  "zenara-pack|--nonsense|nonsense"
  "zenara-pack|--flash-out out.bin|--extract"
  "zenara-fake-instrument|--attitude fast|--attitude"
  "zenara-fake-instrument|--fault frob|frob"
  "zenara-fake-instrument|--ident|--ident"
  "zenara-make-icon|--nonsense|nonsense"
  "zenara-make-icon|out.png 5|SIZE"
  "render_demo|--nonsense|nonsense"
  "render_demo|out.png 0|zoom"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r program arguments names <<<"$entry"
  status=0
  # shellcheck disable=SC2086
  timeout 20 "$build/$program" $arguments >out.txt 2>err.txt </dev/null || status=$?
  [ "$status" = 2 ] || fail "$program $arguments: exit status $status, not 2"
  grep -qF -- "$names" err.txt || fail "$program $arguments: the message does not name $names: $(cat err.txt)"
  [ ! -s out.txt ] || fail "$program $arguments: wrote to standard output"
  leftovers="$(ls -A | grep -vxE 'out.txt|err.txt|data' || true)"
  [ -z "$leftovers" ] || fail "$program $arguments: left $leftovers"
done
for program in zenara zenara-render zenara-panel zenara-pack zenara-fake-instrument zenara-make-icon render_demo; do
  timeout 20 "$build/$program" --help >out.txt 2>err.txt || fail "$program --help: exit status $?"
  grep -qiE 'e\.g\.|example' out.txt || fail "$program --help shows no example"
done
echo "usage errors: ${#cases[@]} bad command lines refused with status 2"
