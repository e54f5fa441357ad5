#!/usr/bin/env bash
# Runs the unit-test programs of a build folder N times in a row, one at a time, with the
# machine's other cores kept busy, as a loaded machine would; the end-to-end and packaging
# suites, which take minutes, run once. Reports every test that ever failed and how often,
# and keeps each failing round's output. A test that fails only now and then is a fault
# of the test or of the program, never luck to be retried away.
#
#   tools/repeat_tests.sh BUILD_DIR N [PATTERN]
#
# With PATTERN (a CTest regular expression), only the unit tests it matches run, N times,
# and the suites that run once are left out.
set -euo pipefail

build_dir=$1
rounds=$2
pattern=${3:-}
log_dir="$build_dir/repeat-logs"
rm -rf "$log_dir"
mkdir -p "$log_dir"

busy=()
stop_busy() { [ ${#busy[@]} -eq 0 ] || kill "${busy[@]}" 2>/dev/null || true; }
trap stop_busy EXIT
for _ in $(seq 2 "$(nproc)"); do
  (while :; do :; done) &
  busy+=($!)
done

declare -A failures=()
record() {  # round, ctest arguments...
  local round=$1
  shift
  local out="$log_dir/round-$round.log"
  if ctest --test-dir "$build_dir" --output-on-failure "$@" >"$out" 2>&1; then
    rm -f "$out"
    return
  fi
  local failed="$build_dir/Testing/Temporary/LastTestsFailed.log"
  if [ -s "$failed" ]; then
    while IFS=: read -r _ name; do
      failures[$name]=$(( ${failures[$name]:-0} + 1 ))
    done <"$failed"
  else
    failures["(ctest itself, round $round)"]=1
  fi
}

if [ -z "$pattern" ]; then
  echo "Suites that run once..."
  record once -L once
  echo "Unit tests, $rounds rounds..."
  for round in $(seq 1 "$rounds"); do
    record "$round" -LE once
    echo "  round $round of $rounds: ${#failures[@]} test(s) failed so far"
  done
else
  echo "Unit tests matching '$pattern', $rounds rounds..."
  for round in $(seq 1 "$rounds"); do
    record "$round" -LE once -R "$pattern"
    echo "  round $round of $rounds: ${#failures[@]} test(s) failed so far"
  done
fi

if [ ${#failures[@]} -eq 0 ]; then
  echo "No test failed in $rounds rounds."
  exit 0
fi
echo "Tests that failed (the output of each failing round is in $log_dir):"
for name in "${!failures[@]}"; do
  echo "  $name: ${failures[$name]} time(s)"
done
exit 1
