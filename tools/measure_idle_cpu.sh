#!/usr/bin/env bash
# Measures the simulator's processor use with the instrument switched on and
# showing a page: starts it under a virtual X display, waits for the panel,
# then reads user+system time from /proc over a window of seconds.
# Usage: tools/measure_idle_cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
BUILD_DIR="${1:-build}"
SECONDS_TO_MEASURE="${2:-10}"
command -v xvfb-run >/dev/null || { echo "needs xvfb-run (apt-get install xvfb xauth)" >&2; exit 1; }
DATA="$(mktemp -d)"
# An optional settings image to show a populated page: E2_ROM=path/to/e2.rom
[ -n "${E2_ROM:-}" ] && cp "$E2_ROM" "$DATA/e2.rom"
PID=""
PTY_HOLDER=""
trap '[ -n "$PID" ] && kill "$PID" 2>/dev/null; sleep 1; kill "$PTY_HOLDER" 2>/dev/null; rm -rf "$DATA"' EXIT
# A pseudo-terminal stands in for the COM port, so no message box about a
# missing port waits for a click.
python3 -c 'import os, pty, sys, time
m, s = pty.openpty()
print(os.ttyname(s), flush=True)
time.sleep(3600)' > "$DATA/pty" &
PTY_HOLDER=$!
while [ ! -s "$DATA/pty" ]; do sleep 0.1; done
printf '[General]\r\nPORT=1\r\n[Devices]\r\nCOM1=%s\r\n' "$(cat "$DATA/pty")" > "$DATA/SM.INI"
xvfb-run -a "$BUILD_DIR/zenara" --data-dir "$DATA" --switch-on &
sleep 1
PID="$(pgrep -n -x zenara)"
echo "measuring $(cat /proc/$PID/comm) pid $PID"
sleep 5  # blank pause and welcome screen
ticks() { awk '{print $14 + $15}' "/proc/$PID/stat"; }
HZ="$(getconf CLK_TCK)"
# Wake-ups show the firmware is alive: about 40 a second from the 25 ms clock.
wakeups() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$PID/status"; }
before="$(ticks)"
woke="$(wakeups)"
sleep "$SECONDS_TO_MEASURE"
after="$(ticks)"
echo "wake-ups per second: $(( ($(wakeups) - woke) / SECONDS_TO_MEASURE ))"
awk -v b="$before" -v a="$after" -v hz="$HZ" -v s="$SECONDS_TO_MEASURE" \
  'BEGIN { printf "CPU use over %d s: %.2f %% of one core\n", s, (a - b) / hz / s * 100 }'
