#!/usr/bin/env bash
# The library's manual page: mandoc's lint and groff find nothing to say
# about it, and it names every function and every code of the header.
#
# usage: library_manual_test.sh MANUAL_PAGE HEADER
set -euo pipefail
page=$1 header=$2

# shellcheck source=tests/shell_checks.sh
source "$(dirname "$0")/shell_checks.sh"

# The command's own page is no installed manual yet: that reference alone
# may go unresolved.
lint_manual_page "$page" 'referenced manual not found: Xr tessadox 1'

functions=$(grep -oE '^TESSADOX_API [^(]*\btessadox_[a-z_]+\(' "$header" | grep -oE 'tessadox_[a-z_]+\($' | tr -d '(')
codes=$(grep -oE '^#define TESSADOX_E_[A-Z_]+' "$header" | awk '{print $2}')
[ "$(wc -l <<<"$functions")" -ge 16 ] || fail "too few functions in $header"
while read -r name; do
  grep -qE "^\.Nm $name( ,)?$" "$page" || fail "$name is not among the names"
  grep -qE "^\.Fn $name " "$page" || fail "$name has no synopsis"
done <<<"$functions"
while read -r code; do
  grep -qE "^\.It Dv $code$" "$page" || fail "$code has no entry"
done <<<"$codes"

finish
