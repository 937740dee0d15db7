#!/usr/bin/env bash
# The shared library exports exactly the functions of the public header,
# each under the version node TESSADOX_2, and nothing of the engine behind
# them.
#
# usage: exports_test.sh LIBRARY HEADER
set -euo pipefail
library=$1 header=$2

# shellcheck source=tests/shell_checks.sh
source "$(dirname "$0")/shell_checks.sh"

# "T tessadox_draw@@TESSADOX_2" and, for the version node, "A TESSADOX_2".
exported=$(nm -D --defined-only "$library" | awk '$2 != "A" {print $3}' | sort)
declared=$(grep -oE '^TESSADOX_API [^(]*\btessadox_[a-z_]+\(' "$header" |
  grep -oE 'tessadox_[a-z_]+\($' | tr -d '(' | sed 's/$/@@TESSADOX_2/' | sort)
[ "$(wc -l <<<"$declared")" -ge 16 ] || fail "too few functions found in $header: $declared"
[ "$exported" = "$declared" ] ||
  fail "exported and declared differ:$(diff <(echo "$declared") <(echo "$exported") | sed 's/^/  /')"

soname=$(readelf -d "$library" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
[ "$soname" = libtessadox.so.2 ] || fail "the soname is '$soname'"

finish
