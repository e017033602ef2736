#!/usr/bin/env bash
# The simulator handed odd program folders and files: it starts, says why,
# ends on the first SIGTERM and writes only where it may.
#   program_folder_test.sh ZENARA
set -euo pipefail
zenara="$1"
work="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

# Starts the program on a folder; waits until it handles SIGTERM and a start-up box had time to open.
start() {
  QT_QPA_PLATFORM=offscreen "$zenara" --data-dir "$1" 2>>"$work/stderr.txt" &
  pid=$!
  pids+=("$pid")
  wait_until_handles_sigterm "$pid"
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "$2: the program ended by itself: $(cat "$work/stderr.txt")"
}

# One SIGTERM ends it within a second, with exit status 0.
stop() {
  kill -TERM "$1"
  for _ in $(seq 20); do kill -0 "$1" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$1" 2>/dev/null && fail "$2: still running a second after SIGTERM"
  status=0
  wait "$1" || status=$?
  [ "$status" -eq 0 ] || fail "$2: exit status $status: $(cat "$work/stderr.txt")"
}

# A FIFO where SM.INI or e2.rom should be is reported, not waited on, and stays.
for name in SM.INI e2.rom; do
  mkdir "$work/fifo-$name"
  mkfifo "$work/fifo-$name/$name"
  start "$work/fifo-$name" "FIFO $name"
  stop "$pid" "FIFO $name"
  [ -p "$work/fifo-$name/$name" ] || fail "FIFO $name was replaced"
done

# A folder name longer than the system allows is a message, not an abort.
start "$work/$(printf 'x%.0s' $(seq 5000))" "long --data-dir"
stop "$pid" "long --data-dir"

# A missing folder whose parent exists is created at start.
start "$work/new" "missing folder"
[ -d "$work/new" ] || fail "the missing folder was not created at start"
stop "$pid" "missing folder"

# A second program on a folder writes nothing there; the first still does.
mkdir "$work/shared"
start "$work/shared" "first program"
first=$pid
start "$work/shared" "second program"
stop "$pid" "second program"
[ ! -e "$work/shared/RTC.ram" ] && [ ! -e "$work/shared/SM.INI" ] || fail "the second program wrote into the folder"
stop "$first" "first program"
[ -e "$work/shared/RTC.ram" ] && [ -e "$work/shared/SM.INI" ] || fail "the first program did not write its files"
echo "odd program folders and files: reported, never waited on, written only by their program"
