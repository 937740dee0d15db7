#!/usr/bin/env bash
# The binary, or the library, draws its random numbers itself: it imports
# neither rand() nor srand() (nor their random() relatives) from the C
# library.
#
# usage: imports_test.sh BINARY_OR_LIBRARY
set -euo pipefail
# shellcheck source=tests/shell_checks.sh
source "$(dirname "$0")/shell_checks.sh"

imports=$(nm -D --undefined-only "$1" | awk '{print $NF}' | sed 's/@.*//')
[ -n "$imports" ] || fail "nm -D lists no imports at all"
for name in rand srand random srandom random_r srandom_r rand_r drand48 lrand48; do
  if grep -qx -- "$name" <<<"$imports"; then
    fail "$1 imports $name"
  fi
done

finish
