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

# mandoc's lint and groff find nothing to say about the manual page PAGE.
# Manual pages it refers to that are not installed here may go unresolved
# when they match UNRESOLVED (a grep pattern).
lint_manual_page() {
  local page=$1 unresolved=$2 lint warnings
  lint=$(mandoc -T lint "$page" 2>&1 | grep -v -e mandoc.db -e "$unresolved" || true)
  [ -z "$lint" ] || fail "mandoc -T lint: $lint"
  warnings=$(groff -ww -z -mandoc "$page" 2>&1)
  [ -z "$warnings" ] || fail "groff -ww: $warnings"
}
