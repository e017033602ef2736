#!/usr/bin/env bash
# kill -TERM on a freshly started simulator whose COM port cannot open (its
# message box is up): it must end within 0.5 s and leave RTC.ram and SM.INI.
set -euo pipefail
zenara="$1"
data="$(mktemp -d)"
trap 'rm -rf "$data"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

printf '[General]\r\nPORT=1\r\n[Devices]\r\nCOM1=/nonexistent/tty\r\n' >"$data/SM.INI"
QT_QPA_PLATFORM=offscreen "$zenara" --data-dir "$data" 2>"$data/stderr.txt" &
pid=$!

# Wait until the program handles SIGTERM itself, then give the box time to open.
wait_until_handles_sigterm "$pid"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"

start=$(date +%s%N)
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
took_ms=$(( ($(date +%s%N) - start) / 1000000 ))

[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$data/stderr.txt")"
[ "$took_ms" -lt 500 ] || fail "took $took_ms ms to end"
[ "$(stat -c %s "$data/RTC.ram")" -eq 256 ] || fail "RTC.ram missing or not 256 bytes"
grep -q '^\[settings\]' "$data/SM.INI" || fail "SM.INI was not written"
grep -q '^COM1=/nonexistent/tty' "$data/SM.INI" || fail "SM.INI lost its [Devices] section"
echo "terminated in $took_ms ms with RTC.ram and SM.INI written"
