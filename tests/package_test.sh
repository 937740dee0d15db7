#!/usr/bin/env bash
# What `cmake --install` and `cpack -G DEB` deliver: the command, the shared
# library and what programs are built with, where a Debian system looks for
# them; three packages that split them so, each with the copyright and the
# changelog that Debian asks for, the command's depending on the library's,
# all passing lintian without an error or a warning; and the binary
# delivered draws what the tested one draws.
#
# usage: package_test.sh BUILD_FOLDER TESSADOX_BINARY
set -euo pipefail
build=$1 binary=$2
source_tree=$(cd "$(dirname "$0")/.." && pwd)

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

# Checks the copyright and the changelog in the folder $2 of package $1.
check_documents() {
  local package=$1 documents=$2 licence=$source_tree/LICENSE latest holder stated
  # The changelog's latest entry is this version, so a new version without an
  # entry of its own fails here.
  if gzip -dc "$documents/changelog.gz" >"$work/changelog" 2>/dev/null; then
    latest=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
    [ "$latest" = "$version" ] || fail "$package: the changelog's latest entry is $latest, not $version"
  fi

  # The copyright states the licence of LICENSE: the same copyright holder and
  # year, and the permission text word for word (a paragraph's lines indented
  # by one blank, an empty line written as " .").
  if [ -f "$documents/copyright" ]; then
    holder=$(sed -n 's/^Copyright (c) //p' "$licence")
    grep -qxF "Copyright: $holder" "$documents/copyright" ||
      fail "$package: the copyright does not name '$holder' as LICENSE does"
    # the stand-alone paragraph that begins with "License:", less that line
    stated=$(awk -v RS= '/^License: /' "$documents/copyright" | tail -n +2 |
      sed -e 's/^ //' -e 's/^\.$//')
    [ "$stated" = "$(sed -n '/^Permission/,$p' "$licence")" ] ||
      fail "$package: the copyright's licence text differs from LICENSE"
  fi
}

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
libdir=lib/$multiarch

# The files and links under $1, one "path" or "path -> target" a line.
tree_of() {
  (cd "$1" && find . \( -type f -printf '%p\n' \) -o \( -type l -printf '%p -> %l\n' \) | sort)
}

# Checks what the command's files under the prefix $1 hold: the binary, run
# where it lies, draws the tested binary's picture, and the manual page is
# man/tessadox.1.
check_command() {
  local root=$1 what=$2
  [ -x "$root/bin/tessadox" ] || fail "$what: bin/tessadox is not executable"
  if [ -f "$root/bin/tessadox" ]; then
    cmp -s <(pinned_picture "$root/bin/tessadox") "$work/expected.png" ||
      fail "$what: the installed binary draws another picture"
  fi
  if [ -f "$root/share/man/man1/tessadox.1.gz" ]; then
    cmp -s <(gzip -dc "$root/share/man/man1/tessadox.1.gz") "$source_tree/man/tessadox.1" ||
      fail "$what: the installed manual page is not man/tessadox.1"
  fi
}

command_files="./bin/tessadox
./share/man/man1/tessadox.1.gz"
library_files="./$libdir/libtessadox.so.3 -> libtessadox.so.3.0
./$libdir/libtessadox.so.3.0"
# CMake names the targets' file after the build type.
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt" | tr '[:upper:]' '[:lower:]')
development_files="./$libdir/cmake/tessadox/tessadoxConfig.cmake
./$libdir/cmake/tessadox/tessadoxConfigVersion.cmake
./$libdir/cmake/tessadox/tessadoxTargets-${build_type:-noconfig}.cmake
./$libdir/cmake/tessadox/tessadoxTargets.cmake
./$libdir/libtessadox.a
./$libdir/libtessadox.so -> libtessadox.so.3
./$libdir/pkgconfig/tessadox.pc
./include/tessadox/tessadox.h
./include/tessadox/version.h
./share/man/man3/tessadox.3.gz"

# The binary finds its library beside its own folder, wherever the prefix
# lies, with no help from the environment.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
installed=$(tree_of "$work/prefix")
expected=$(printf '%s\n' "$command_files" "$library_files" "$development_files" | sort)
[ "$installed" = "$expected" ] || fail "cmake --install installs:
$installed"
check_command "$work/prefix" "cmake --install"
cmp -s "$work/prefix/include/tessadox/tessadox.h" "$source_tree/include/tessadox/tessadox.h" ||
  fail "the installed header is not include/tessadox/tessadox.h"

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack -G DEB"
  exit 1
fi
# The packages carry the project's version; the command's own version text
# is older and stays as it is.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
architecture=$(dpkg --print-architecture)
made=$(cd "$work/package" && ls ./*.deb | sort | tr '\n' ' ')
wanted="./libtessadox-dev_${version}_${architecture}.deb ./libtessadox3_${version}_${architecture}.deb ./tessadox_${version}_${architecture}.deb "
[ "$made" = "$wanted" ] || { fail "cpack made: $made"; exit 1; }

# Each package: its files under /usr, besides the copyright and changelog
# in its own folder of /usr/share/doc, and the fields that must match (grep
# -E, whole value).
declare -A files_of=([tessadox]=$command_files [libtessadox3]=$library_files
  [libtessadox-dev]=$development_files)
declare -A fields_of=(
  [tessadox]="Section|graphics
Depends|libtessadox3 \(= ${version//./\\.}\)(, .*)?"
  [libtessadox3]="Section|libs
Depends|(.*, )?libpng16-16( \(>= [0-9][^)]*\))?(, .*)?"
  [libtessadox-dev]="Section|libdevel
Depends|libtessadox3 \(= ${version//./\\.}\), libpng-dev"
)
for package in tessadox libtessadox3 libtessadox-dev; do
  deb=$work/package/${package}_${version}_${architecture}.deb
  while IFS='|' read -r name pattern; do
    value=$(dpkg-deb -f "$deb" "$name")
    echo "$package $name: $value"
    grep -qxE "$pattern" <<<"$value" || fail "$package: $name is '$value', wanted /$pattern/"
  done < <(printf '%s\n' "Package|$package" "Version|${version//./\\.}" \
    "Architecture|$architecture" "${fields_of[$package]}")
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $2}' | sort -u >"$work/modes"
  [ "$(grep -cvE '^(-rw-r--r--|-rwxr-xr-x|lrwxrwxrwx) root/root$' "$work/modes")" -eq 0 ] ||
    fail "$package: files of other modes or owners: $(cat "$work/modes")"

  dpkg-deb -x "$deb" "$work/$package"
  contents=$(tree_of "$work/$package/usr")
  expected=$(printf '%s\n' "${files_of[$package]}" "./share/doc/$package/changelog.gz" \
    "./share/doc/$package/copyright" | sort)
  [ "$contents" = "$expected" ] || fail "$package holds:
$contents"
  check_documents "$package" "$work/$package/usr/share/doc/$package"
  # Both the library and the command unpack into one root, as dpkg installs
  # them side by side.
  dpkg-deb -x "$deb" "$work/installed"
done
dpkg-deb --ctrl-tarfile "$work/package/libtessadox3_${version}_${architecture}.deb" |
  tar -x -O ./shlibs ./triggers >"$work/library_control" 2>/dev/null || true
grep -qxF "libtessadox 3 libtessadox3 (>= $version)" "$work/library_control" ||
  fail "libtessadox3's shlibs: $(cat "$work/library_control")"
grep -qxF "activate-noawait ldconfig" "$work/library_control" || fail "libtessadox3 has no ldconfig trigger"
check_command "$work/installed/usr" "the packages"

# Debian's own checks of a package; informational and pedantic notes are
# listed but do not fail.
lintian --display-level '>=pedantic' --fail-on error,warning "$work"/package/*.deb \
  >"$work/lintian" 2>&1 || fail "lintian reports an error or a warning"
echo "lintian:"
grep -vx 'running with root privileges is not recommended!' "$work/lintian" || true

finish
