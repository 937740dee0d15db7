#!/usr/bin/env bash
# The manual page: mandoc's lint and groff find nothing to say about it, and
# every option that the help text lists has an entry of its own.
#
# usage: manual_test.sh TESSADOX_BINARY MANUAL_PAGE
set -euo pipefail
binary=$1 page=$2

# shellcheck source=tests/shell_checks.sh
source "$(dirname "$0")/shell_checks.sh"

# -T lint reports at every level, style suggestions included, and any report
# makes its status non-zero. (It may also remark on the system's manual
# database, which is no fault of the page and leaves the status alone.)
lint=$(mandoc -T lint "$page" 2>&1) || fail "mandoc -T lint: $(grep -v mandoc.db <<<"$lint")"

warnings=$(groff -ww -z -mandoc "$page" 2>&1)
[ -z "$warnings" ] || fail "groff -ww: $warnings"

# The entries of the page, as "-a", "-?", "--help": every word after "Fl" on
# an ".It" line, its escapes removed.
documented=$(awk '/^\.It /{for (i = 2; i < NF; i++) if ($i == "Fl") print "-" $(i + 1)}' "$page" |
  sed -e 's/\\&//g' -e 's/\\-/-/g')
# The help text's option column: "-b(0-255)", "-c", "-?,-h" and so on.
listed=$("$binary" -h | grep -oE '^-[^ (]+' | tr ',' '\n')
[ "$(wc -l <<<"$listed")" -ge 10 ] || fail "too few options in the help text: $listed"
while read -r option; do
  grep -qxF -e "$option" <<<"$documented" || fail "no entry for $option"
done <<<"$listed"

finish
