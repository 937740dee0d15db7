#!/usr/bin/env bash
# tessadox-server's manual page: mandoc's lint and groff find nothing to say
# about it, and every flag that --help lists has an entry of its own.
#
# usage: server_manual_test.sh SERVER_BINARY MANUAL_PAGE
set -euo pipefail
binary=$1 page=$2

# shellcheck source=tests/shell_checks.sh
source "$(dirname "$0")/shell_checks.sh"

lint_manual_page "$page" 'referenced manual not found'

# ".It Fl \-listen Ar ..." and ".It Fl h , Fl \-help" as --listen, -h, --help.
documented=$(awk '/^\.It /{for (i = 2; i < NF; i++) if ($i == "Fl") print "-" $(i + 1)}' "$page" |
  sed -e 's/\\-/-/g')
listed=$("$binary" --help | grep -oE '^ +(-[a-z], )?--[a-z-]+' | tr ',' '\n' | tr -d ' ')
[ "$(wc -l <<<"$listed")" -ge 10 ] || fail "too few flags in the help text: $listed"
while read -r flag; do
  grep -qxF -e "$flag" <<<"$documented" || fail "no entry for $flag"
done <<<"$listed"

finish
