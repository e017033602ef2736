#!/usr/bin/env bash
# The run script: a program folder without e2.rom gets the built-in defaults
# (one line says so) and the instrument starts switched on with the default
# panel; an existing e2.rom is left exactly as it was; zenara started
# directly writes no e2.rom.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
script="$1" zenara="$2" render="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

# Runs a command until its window snapshot is written, then ends it like Ctrl-C.
run_until_snapshot() {
  local picture="$1"
  shift
  "$@" --snapshot "$picture" --snapshot-after 4000 >"$work/stdout.txt" 2>"$work/stderr.txt" &
  local pid=$!
  for _ in $(seq 200); do [ -s "$picture" ] && break; sleep 0.05; done
  sleep 0.2
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" || fail "$* ended with status $?: $(cat "$work/stderr.txt")"
  [ -s "$picture" ] || fail "$* took no snapshot"
}

run_until_snapshot "$work/new.png" env ZENARA_PROGRAM="$zenara" "$script" --data-dir "$work/new"
[ "$(wc -l <"$work/stdout.txt")" -eq 1 ] && grep -q "default settings to $work/new/e2.rom" "$work/stdout.txt" ||
  fail "no one-line notice of the defaults: $(cat "$work/stdout.txt")"
# The defaults, calibration included: the panel draws exactly as the renderer's built-in defaults.
"$render" --e2 "$work/new/e2.rom" --at 8 -o "$work/written.png"
"$render" --at 8 -o "$work/defaults.png"
cmp -s "$work/written.png" "$work/defaults.png" || fail "e2.rom does not hold the default settings"

# Started directly, the program writes no e2.rom, and its window shows no switched-on panel.
mkdir "$work/direct"
run_until_snapshot "$work/direct.png" "$zenara" --data-dir "$work/direct"
[ ! -e "$work/direct/e2.rom" ] || fail "zenara started directly wrote e2.rom"
! cmp -s "$work/new.png" "$work/direct.png" || fail "the run script did not switch the instrument on"

# A snapshot that cannot be written says so, naming the file.
"$zenara" --data-dir "$work/direct" --snapshot "$work/missing/shot.png" --snapshot-after 100 2>"$work/stderr.txt" &
pid=$!
for _ in $(seq 100); do grep -q "snapshot was not saved" "$work/stderr.txt" && break; sleep 0.05; done
kill -TERM "$pid" 2>/dev/null || true
wait "$pid" || true
grep -q "snapshot was not saved to $work/missing/shot.png: " "$work/stderr.txt" ||
  fail "a failed snapshot went unreported: $(cat "$work/stderr.txt")"

# An existing e2.rom (here an empty memory) is never touched.
mkdir "$work/old"
head -c 4096 /dev/zero >"$work/old/e2.rom"
touch -d '2020-01-01 00:00' "$work/old/e2.rom"
run_until_snapshot "$work/old.png" env ZENARA_PROGRAM="$zenara" "$script" --data-dir "$work/old"
[ ! -s "$work/stdout.txt" ] || fail "a notice although e2.rom existed: $(cat "$work/stdout.txt")"
cmp -s "$work/old/e2.rom" <(head -c 4096 /dev/zero) || fail "the existing e2.rom was changed"
[ "$(stat -c %Y "$work/old/e2.rom")" = "$(date -d '2020-01-01 00:00' +%s)" ] || fail "the existing e2.rom was rewritten"
echo "run script: defaults written once, existing e2.rom untouched"
