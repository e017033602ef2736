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
trap 'kill "$PID" 2>/dev/null || true; rm -rf "$DATA"' EXIT
printf '[General]\r\nPORT=1\r\n[Devices]\r\nCOM1=/dev/ptmx\r\n' > "$DATA/SM.INI"
# COM1 is a pseudo-terminal master, so no message box about a missing port waits for a click.
xvfb-run -a "$BUILD_DIR/zenara" --data-dir "$DATA" --switch-on &
sleep 1
PID="$(pgrep -n -f "$BUILD_DIR/zenara --data-dir $DATA")"
sleep 5  # blank pause and welcome screen
ticks() { awk '{print $14 + $15}' "/proc/$PID/stat"; }
HZ="$(getconf CLK_TCK)"
before="$(ticks)"
sleep "$SECONDS_TO_MEASURE"
after="$(ticks)"
awk -v b="$before" -v a="$after" -v hz="$HZ" -v s="$SECONDS_TO_MEASURE" \
  'BEGIN { printf "CPU use over %d s: %.2f %% of one core\n", s, (a - b) / hz / s * 100 }'
