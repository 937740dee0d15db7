# Sourced by the shell tests: each check that fails says so and counts, the
# test goes on, and `finish` ends it with the count of failures.
# shellcheck shell=bash

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

finish() {
  echo "failures: $failures"
  [ "$failures" -eq 0 ]
}

# A temporary folder in $work, removed when the test ends.
make_work_folder() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
}
