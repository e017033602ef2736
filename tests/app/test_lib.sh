# Sourced by the app tests: shared failure report, scratch folder and wait.

fail() { echo "FAIL: $*" >&2; exit 1; }

# Makes $work a scratch folder, removed on exit, and the current folder.
enter_scratch() {
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  cd "$work"
}

# Waits up to 5 s until process $1 handles SIGTERM itself (bit 14 of SigCgt).
wait_until_handles_sigterm() {
  local mask
  for _ in $(seq 100); do
    mask="$(awk '/^SigCgt:/ {print $2}' "/proc/$1/status" 2>/dev/null || true)"
    [ -n "$mask" ] && (( (16#$mask >> 14) & 1 )) && return 0
    sleep 0.05
  done
  return 0
}
