#!/usr/bin/env bash
# Builds the fuzz harnesses (clang, libFuzzer, ASan and UBSan, in build-fuzz)
# and runs each on its seed corpus.
#
#   scripts/fuzz.sh                      every harness for 20 s
#   scripts/fuzz.sh --seconds 5          every harness for 5 s
#   scripts/fuzz.sh --runs 10000000 fuzz_ini_file fuzz_panel_file
#                                        until 10^7 executions each
#   scripts/fuzz.sh --runs 10000000 --seconds 3600
#                                        ... or an hour each, whichever comes first
#   scripts/fuzz.sh --no-build NAME...   runs what was built (a second run beside one)
#
# New inputs go to build-fuzz/corpus/NAME, crashes to build-fuzz/crashes;
# one line per harness is added to build-fuzz/fuzz-report.txt. Exits non-zero
# when a harness found a crash, a leak or a broken check.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
FUZZ_DIR="${FUZZ_DIR:-$ROOT/build-fuzz}"

usage() { sed -n '2,15p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; }
seconds=""
runs=""
build=1
names=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="${2:?--seconds needs a number, e.g. --seconds 20}"; shift 2 ;;
    --runs) runs="${2:?--runs needs a number, e.g. --runs 10000000}"; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) usage; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
    *) names+=("$1"); shift ;;
  esac
done
[ -z "$seconds" ] && [ -z "$runs" ] && seconds=20
[[ -z "$seconds" || "$seconds" =~ ^[0-9]+$ ]] || { echo "fuzz.sh: --seconds: expected whole seconds, got \"$seconds\"" >&2; exit 2; }
[[ -z "$runs" || "$runs" =~ ^[0-9]+$ ]] || { echo "fuzz.sh: --runs: expected a count, got \"$runs\"" >&2; exit 2; }

if [ "$build" -eq 1 ]; then
  install_missing clang libclang-rt-14-dev
  cmake -S "$ROOT" -B "$FUZZ_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DZENARA_BUILD_FUZZ=ON -DZENARA_BUILD_QT=OFF -DZENARA_BUILD_TESTS=OFF >/dev/null
  cmake --build "$FUZZ_DIR" -j2
fi

if [ ${#names[@]} -eq 0 ]; then
  for source in "$ROOT"/tests/fuzz/fuzz_*.cpp; do names+=("$(basename "$source" .cpp)"); done
fi
mkdir -p "$FUZZ_DIR/crashes" "$FUZZ_DIR/logs"
passed=0
failed=0
for name in "${names[@]}"; do
  binary="$FUZZ_DIR/tests/fuzz/$name"
  [ -x "$binary" ] || { echo "fuzz.sh: no harness $name" >&2; exit 2; }
  work="$FUZZ_DIR/corpus/$name"
  mkdir -p "$work"
  limit=()
  [ -n "$seconds" ] && limit+=(-max_total_time="$seconds")
  [ -n "$runs" ] && limit+=(-runs="$runs")
  log="$FUZZ_DIR/logs/$name.log"
  start=$(date +%s)
  status=0
  # Findings stop the run; the input is kept under crashes/.
  nice -n 10 "$binary" "${limit[@]}" -timeout=20 -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$FUZZ_DIR/crashes/$name-" "$work" "$ROOT/tests/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  line="$name: ${executions:-0} executions in $(($(date +%s) - start)) s"
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
    line="$line, no finding"
  else
    failed=$((failed + 1))
    line="$line, FINDING (exit $status), see $log"
    grep -E "ERROR|requirement failed|runtime error|terminate called|SUMMARY" "$log" | head -5 >&2 || true
  fi
  echo "$line"
  echo "$(date -u +%Y-%m-%dT%H:%MZ) $line" >>"$FUZZ_DIR/fuzz-report.txt"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
