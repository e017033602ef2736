#!/usr/bin/env bash
# Saves killed with SIGKILL at random moments: afterwards every file is its
# old or its new complete version, and the next start leaves no temporary.
#   kill9_test.sh DRIVER [TRIALS] [MAX_MS]     e.g. kill9_test.sh build/tests/zenara_save_driver 1000
set -euo pipefail
driver="${1:?usage: kill9_test.sh DRIVER [TRIALS] [MAX_MS]}"
trials="${2:-50}"
max_ms="${3:-400}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/data"

killed_saving=0
for ((trial = 1; trial <= trials; trial++)); do
  "$driver" --run "$work/data" 2>"$work/run.err" &
  pid=$!
  sleep "$(printf '0.%03d' $((RANDOM % max_ms)))"
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: trial $trial: the driver ended by itself: $(cat "$work/run.err")" >&2
    exit 1
  fi
  # A temporary present at the kill means a save was under way.
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null || true
  if compgen -G "$work/data/*.tmp-*" >/dev/null; then killed_saving=$((killed_saving + 1)); fi
  if ! "$driver" --check "$work/data"; then
    echo "FAIL: trial $trial" >&2
    exit 1
  fi
done
saves=$(wc -l <"$work/data.journal")
echo "kill -9: $trials trials, $saves saves, $killed_saving kills during a save: every file whole"
