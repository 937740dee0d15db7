#!/usr/bin/env bash
# The README's gallery is what the binary draws: scripts/gallery, run again,
# writes every tracked picture byte for byte and no other, and the README
# shows the commands that drew them.
#
# usage: gallery_test.sh TESSADOX_BINARY
set -euo pipefail
# shellcheck source=tests/shell_checks.sh
source "$(dirname "$0")/shell_checks.sh"
make_work_folder
binary=$(realpath "$1")
cd "$(dirname "$0")/.."

TESSADOX=$binary bash scripts/gallery "$work"

for kept in docs/gallery/*.png; do
  [ -f "$work/$(basename "$kept")" ] || fail "$kept is no longer drawn by scripts/gallery"
done
for drawn in "$work"/*.png; do
  name=$(basename "$drawn")
  if [ ! -f "docs/gallery/$name" ]; then
    fail "docs/gallery/$name is missing"
  elif ! cmp -s "$drawn" "docs/gallery/$name"; then
    fail "docs/gallery/$name differs from what the binary draws now"
  fi
done

table=$(bash scripts/gallery --markdown)
[[ "$(cat README.md)" == *"$table"* ]] || fail "README.md lacks the table of scripts/gallery --markdown"

finish
