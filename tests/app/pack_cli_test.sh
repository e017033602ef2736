#!/usr/bin/env bash
# zenara-pack from the command line: help, a packed copy read back, repacking,
# and clear refusals that write nothing.
set -euo pipefail
pack="$(realpath "$1")"
program="$(realpath "$2")"
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
enter_scratch

help="$("$pack" --help)"
for option in --flash --e2 --program --output --extract --flash-out --e2-out --any-version; do
  grep -q -- "example: $option\|example: -o" <<<"$(grep -A2 -- "$option" <<<"$help")" || fail "--help gives no example for $option"
done

# 0x20 bytes at 0x0100 and one byte at 0x1E000, as Intel HEX.
{
  echo ":10010000000102030405060708090A0B0C0D0E0F77"
  echo ":10011000101112131415161718191A1B1C1D1E1F67"
  echo ":020000040001F9"
  echo ":01E00000A778"
  echo ":00000001FF"
} >fw.hex
head -c 4096 /dev/urandom >e2.bin
# It carries no version: refused unless asked for.
if "$pack" --flash fw.hex --e2 e2.bin --program "$program" -o packed 2>err.txt; then fail "packed without a version"; fi
grep -q "no firmware version.*offset 145 is 255.*--any-version" err.txt || fail "no clear refusal: $(cat err.txt)"
[ ! -e packed ] || fail "wrote a program without a version"
"$pack" --flash fw.hex --e2 e2.bin --program "$program" -o packed --any-version 2>notes.txt >out.txt
grep -q "carried firmware version: none" out.txt || fail "a garbage version was printed: $(cat out.txt)"
[ -x packed ] || fail "the packed copy is not executable"
"$pack" --extract packed --flash-out flash.out --e2-out e2.out >/dev/null
cmp -s e2.out e2.bin || fail "the E2 part did not come back"
[ "$(stat -c %s flash.out)" = $((0x1E001)) ] || fail "the flash part has the wrong length"
[ "$(od -An -tx1 -j $((0x10F)) -N 1 flash.out | tr -d ' ')" = 0f ] || fail "byte 0x10F did not come back"
[ "$(od -An -tx1 -j $((0x1E000)) -N 1 flash.out | tr -d ' ')" = a7 ] || fail "byte 0x1E000 did not come back"
[ "$(od -An -tx1 -j 0 -N 1 flash.out | tr -d ' ')" = ff ] || fail "a gap is not 0xFF"

# A HEX file larger than the flash it describes: 64 KiB, record i filled with i * 7.
for ((i = 0; i < 4096; i++)); do
  v=$(((i * 7) & 0xFF))
  printf ':10%04X00' $((i * 16))
  for ((k = 0; k < 16; k++)); do printf '%02X' $v; done
  printf '%02X\n' $(((-(0x10 + (i >> 4) + ((i * 16) & 0xFF) + 16 * v)) & 0xFF))
done >big.hex
echo ":00000001FF" >>big.hex
"$pack" --flash big.hex --e2 e2.bin --program "$program" -o packed-hex --any-version 2>notes.txt >/dev/null ||
  fail "a full-size HEX file was refused: $(cat notes.txt)"
"$pack" --extract packed-hex --flash-out hex.out >/dev/null
[ "$(stat -c %s hex.out)" = 65536 ] || fail "the HEX flash part has the wrong length"
[ "$(od -An -tx1 -j $((0xFFF5)) -N 1 hex.out | tr -d ' ')" = f9 ] || fail "the last HEX record did not come back"

# A packed copy packed again carries only the new firmware.
head -c 1000 /dev/urandom >raw.bin
"$pack" --flash raw.bin --e2 e2.bin --program packed -o repacked --any-version 2>notes.txt >/dev/null
grep -q "replacing the firmware" notes.txt || fail "repacking did not say it replaces the firmware"
"$pack" --extract repacked --flash-out again.out >/dev/null
cmp -s again.out raw.bin || fail "the repacked flash part is not the new one"

head -c 4095 /dev/zero >short-e2.bin
head -c 131073 /dev/zero >big.bin
printf ':0100000000FE\n:00000001FF\n' >bad.hex
for bad in "--flash fw.hex --e2 short-e2.bin" "--flash big.bin --e2 e2.bin" "--flash bad.hex --e2 e2.bin" \
  "--flash missing.bin --e2 e2.bin" "--flash fw.hex --e2 e2.bin --nonsense"; do
  # shellcheck disable=SC2086
  if "$pack" $bad --program "$program" -o refused 2>err.txt; then fail "accepted $bad"; fi
  [ -s err.txt ] || fail "no message for $bad"
  [ ! -e refused ] || fail "wrote a program for $bad"
done
grep -q "line 1" <("$pack" --flash bad.hex --e2 e2.bin --program "$program" -o refused 2>&1 || true) ||
  fail "a bad HEX file is not refused with its line"
if "$pack" --extract "$program" 2>err.txt; then fail "found firmware in the plain program"; fi
grep -q "no firmware container" err.txt || fail "no clear message for a plain program"
