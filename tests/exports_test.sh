#!/usr/bin/env bash
# The shared library exports exactly the functions of the public header,
# each under the version node of its major version, TESSADOX_3 say, and nothing of the engine behind
# them.
#
# usage: exports_test.sh LIBRARY HEADER MAJOR_VERSION
set -euo pipefail
library=$1 header=$2 major=$3

# shellcheck source=tests/shell_checks.sh
source "$(dirname "$0")/shell_checks.sh"

# "T tessadox_draw@@TESSADOX_3" and, for the version node, "A TESSADOX_3".
exported=$(nm -D --defined-only "$library" | awk '$2 != "A" {print $3}' | sort)
declared=$(grep -oE '^TESSADOX_API [^(]*\btessadox_[a-z_]+\(' "$header" |
  grep -oE 'tessadox_[a-z_]+\($' | tr -d '(' | sed "s/\$/@@TESSADOX_$major/" | sort)
[ "$(wc -l <<<"$declared")" -ge 16 ] || fail "too few functions found in $header: $declared"
[ "$exported" = "$declared" ] ||
  fail "exported and declared differ:$(diff <(echo "$declared") <(echo "$exported") | sed 's/^/  /')"

soname=$(readelf -d "$library" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
[ "$soname" = "libtessadox.so.$major" ] || fail "the soname is '$soname'"

finish
