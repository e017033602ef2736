#!/usr/bin/env bash
# Builds the fuzz harnesses (clang, libFuzzer, ASan and UBSan, in build-fuzz,
# the build the sanitizer tests share) and runs each on its seed corpus.
#
#   scripts/fuzz.sh                      every harness for 20 s
#   scripts/fuzz.sh --seconds 5          every harness for 5 s
#   scripts/fuzz.sh --runs 10000000 fuzz_ini_file fuzz_panel_file
#                                        until 10^7 executions each
#   scripts/fuzz.sh --runs 10000000 --seconds 3600
#                                        ... or an hour each, whichever comes first
#   scripts/fuzz.sh --jobs 2             two harnesses at a time (CI: one per core)
#   scripts/fuzz.sh --no-build NAME...   runs what was built (a second run beside one)
#
# New inputs go to build-fuzz/corpus/NAME, crashes to build-fuzz/crashes;
# one line per harness is added to build-fuzz/fuzz-report.txt. Exits non-zero
# when a harness found a crash, a leak or a broken check.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
FUZZ_DIR="${FUZZ_DIR:-$SANITIZE_DIR}"

usage() { sed -n '2,16p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; }
seconds=""
runs=""
jobs=1
build=1
names=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="${2:?--seconds needs a number, e.g. --seconds 20}"; shift 2 ;;
    --runs) runs="${2:?--runs needs a number, e.g. --runs 10000000}"; shift 2 ;;
    --jobs) jobs="${2:?--jobs needs a number, e.g. --jobs 2}"; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) usage; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
    *) names+=("$1"); shift ;;
  esac
done
[ -z "$seconds" ] && [ -z "$runs" ] && seconds=20
[[ -z "$seconds" || "$seconds" =~ ^[0-9]+$ ]] || { echo "fuzz.sh: --seconds: expected whole seconds, got \"$seconds\"" >&2; exit 2; }
[[ -z "$runs" || "$runs" =~ ^[0-9]+$ ]] || { echo "fuzz.sh: --runs: expected a count, got \"$runs\"" >&2; exit 2; }
[[ "$jobs" =~ ^[1-9][0-9]*$ ]] || { echo "fuzz.sh: --jobs: expected a count from 1, got \"$jobs\"" >&2; exit 2; }

if [ ${#names[@]} -eq 0 ]; then
  for source in "$ROOT"/tests/fuzz/fuzz_*.cpp; do names+=("$(basename "$source" .cpp)"); done
fi
for name in "${names[@]}"; do
  [ -f "$ROOT/tests/fuzz/$name.cpp" ] || { echo "fuzz.sh: no harness $name" >&2; exit 2; }
done
if [ "$build" -eq 1 ]; then
  SANITIZE_DIR="$FUZZ_DIR" configure_sanitized
  cmake --build "$FUZZ_DIR" -j2 --target "${names[@]}"
fi
mkdir -p "$FUZZ_DIR/crashes" "$FUZZ_DIR/logs"
for name in "${names[@]}"; do
  [ -x "$FUZZ_DIR/tests/fuzz/$name" ] || { echo "fuzz.sh: $name is not built in $FUZZ_DIR" >&2; exit 2; }
done

# One harness: prints its line and fails on a finding.
run_one() {
  local name="$1" work="$FUZZ_DIR/corpus/$1" log="$FUZZ_DIR/logs/$1.log" start status=0 executions line
  local limit=()
  mkdir -p "$work"
  [ -n "$seconds" ] && limit+=(-max_total_time="$seconds")
  [ -n "$runs" ] && limit+=(-runs="$runs")
  start=$(date +%s)
  # Findings stop the run; the input is kept under crashes/.
  nice -n 10 "$FUZZ_DIR/tests/fuzz/$name" "${limit[@]}" -timeout=20 -rss_limit_mb=2048 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$FUZZ_DIR/crashes/$name-" "$work" "$ROOT/tests/fuzz/corpus/$name" \
    >"$log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  line="$name: ${executions:-0} executions in $(($(date +%s) - start)) s"
  if [ "$status" -eq 0 ]; then
    line="$line, no finding"
  else
    line="$line, FINDING (exit $status), see $log"
    grep -E "ERROR|requirement failed|runtime error|terminate called|SUMMARY" "$log" | head -5 >&2 || true
  fi
  echo "$line"
  echo "$(date -u +%Y-%m-%dT%H:%MZ) $line" >>"$FUZZ_DIR/fuzz-report.txt"
  [ "$status" -eq 0 ]
}

passed=0
failed=0
running=0
collect() {
  if wait -n; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  running=$((running - 1))
}
for name in "${names[@]}"; do
  run_one "$name" &
  running=$((running + 1))
  [ "$running" -lt "$jobs" ] || collect
done
while [ "$running" -gt 0 ]; do collect; done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
