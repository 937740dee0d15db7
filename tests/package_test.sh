#!/usr/bin/env bash
# What `cmake --install` and `cpack -G DEB` deliver: exactly the binary and
# the manual page, where a Unix system looks for them; the package adds the
# copyright and the changelog that Debian asks for, depends on libpng and
# passes lintian without an error or a warning; and the binary delivered
# draws what the tested one draws.
#
# usage: package_test.sh BUILD_FOLDER TESSADOX_BINARY
set -euo pipefail
build=$1 binary=$2

# shellcheck source=tests/shell_checks.sh
source "$(dirname "$0")/shell_checks.sh"
make_work_folder

# The same second, the same checksum: a binary that draws differently is not
# the one that the other tests checked.
pinned_picture() {
  echo 9e107d9d372bb6826bd81d3542a419d6 |
    SOURCE_DATE_EPOCH=1700000000 "$1" -r 64 -a
}
pinned_picture "$binary" >"$work/expected.png"

# Checks that the installed tree under $1 holds the binary in bin/, the
# manual page in share/man/man1/ and the files named after $2, and nothing
# else.
check_tree() {
  local root=$1 what=$2
  shift 2
  local files expected
  files=$(cd "$root" && find . -type f | sort | tr '\n' ' ')
  expected=$(printf '%s\n' ./bin/tessadox ./share/man/man1/tessadox.1.gz "$@" | sort | tr '\n' ' ')
  [ "$files" = "$expected" ] || fail "$what installs: $files"
  [ -x "$root/bin/tessadox" ] || fail "$what: bin/tessadox is not executable"
  if [ -f "$root/bin/tessadox" ]; then
    cmp -s <(pinned_picture "$root/bin/tessadox") "$work/expected.png" ||
      fail "$what: the installed binary draws another picture"
  fi
  if [ -f "$root/share/man/man1/tessadox.1.gz" ]; then
    cmp -s <(gzip -dc "$root/share/man/man1/tessadox.1.gz") "$(dirname "$0")/../man/tessadox.1" ||
      fail "$what: the installed manual page is not man/tessadox.1"
  fi
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_tree "$work/prefix" "cmake --install"

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack -G DEB"
  exit 1
fi
packages=("$work"/package/*.deb)
if [ ${#packages[@]} -ne 1 ] || [ ! -f "${packages[0]}" ]; then
  fail "cpack made: ${packages[*]}"
  exit 1
fi
deb=${packages[0]}
version=$("$binary" -v | awk '{print $2}')
architecture=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "tessadox_${version}_${architecture}.deb" ] || fail "package file $(basename "$deb")"

echo "dpkg-deb -c:"
dpkg-deb -c "$deb" | tee "$work/contents"
expected_contents="drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/tessadox
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/tessadox/
-rw-r--r-- root/root ./usr/share/doc/tessadox/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/tessadox/copyright
drwxr-xr-x root/root ./usr/share/man/
drwxr-xr-x root/root ./usr/share/man/man1/
-rw-r--r-- root/root ./usr/share/man/man1/tessadox.1.gz"
[ "$(awk '{print $1, $2, $6}' "$work/contents")" = "$expected_contents" ] ||
  fail "the package's contents differ from: $expected_contents"

# Each field: its name and the pattern (grep -E, whole value) it must match.
fields=(
  "Package|tessadox"
  "Version|${version//./\\.}"
  "Architecture|$architecture"
  "Section|graphics"
  "Depends|(.*, )?libpng16-16( \(>= [0-9][^)]*\))?(, .*)?"
)
for field in "${fields[@]}"; do
  name=${field%%|*} pattern=${field#*|}
  value=$(dpkg-deb -f "$deb" "$name")
  echo "$name: $value"
  grep -qxE "$pattern" <<<"$value" || fail "$name is '$value', wanted /$pattern/"
done

dpkg-deb -x "$deb" "$work/unpacked"
documents=$work/unpacked/usr/share/doc/tessadox
check_tree "$work/unpacked/usr" "the package" ./share/doc/tessadox/changelog.gz \
  ./share/doc/tessadox/copyright

# The changelog's latest entry is this version, so a new version without an
# entry of its own fails here.
if gzip -dc "$documents/changelog.gz" >"$work/changelog" 2>/dev/null; then
  latest=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
  [ "$latest" = "$version" ] || fail "the changelog's latest entry is $latest, not $version"
fi

# The copyright states the licence of LICENSE: the same copyright holder and
# year, and the permission text word for word (a paragraph's lines indented
# by one blank, an empty line written as " .").
licence=$(dirname "$0")/../LICENSE
if [ -f "$documents/copyright" ]; then
  holder=$(sed -n 's/^Copyright (c) //p' "$licence")
  grep -qxF "Copyright: $holder" "$documents/copyright" ||
    fail "the copyright does not name '$holder' as LICENSE does"
  # the stand-alone paragraph that begins with "License:", less that line
  stated=$(awk -v RS= '/^License: /' "$documents/copyright" | tail -n +2 |
    sed -e 's/^ //' -e 's/^\.$//')
  [ "$stated" = "$(sed -n '/^Permission/,$p' "$licence")" ] ||
    fail "the copyright's licence text differs from LICENSE"
fi

# Debian's own checks of a package; informational and pedantic notes are
# listed but do not fail.
lintian --display-level '>=pedantic' --fail-on error,warning "$deb" >"$work/lintian" 2>&1 ||
  fail "lintian reports an error or a warning"
echo "lintian:"
grep -vx 'running with root privileges is not recommended!' "$work/lintian" || true

finish
