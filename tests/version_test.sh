#!/usr/bin/env bash
# The version has one source, the project's version in CMakeLists.txt; every
# place that states it again must say the same: the generated header, the
# pkg-config file, the CMake package, the Debian changelog, the npm package
# and the library's file name. (The library's own answer is checked by the
# API tests, and the packages' versions by the package test.)
#
# usage: version_test.sh BUILD_FOLDER
set -euo pipefail
build=$1
source_tree=$(cd "$(dirname "$0")/.." && pwd)

# shellcheck source=tests/shell_checks.sh
source "$(dirname "$0")/shell_checks.sh"

version=$(sed -n 's/^project(tessadox VERSION \([0-9.]*\) .*/\1/p' "$source_tree/CMakeLists.txt")
[[ $version =~ ^[0-9]+\.[0-9]+$ ]] || fail "no version in CMakeLists.txt: '$version'"
major=${version%%.*} minor=${version#*.}

check() {
  local what=$1 found=$2 wanted=$3
  [ "$found" = "$wanted" ] || fail "$what says '$found', the project $wanted"
}

header=$build/include/tessadox/version.h
check "version.h's string" "$(sed -n 's/^#define TESSADOX_VERSION_STRING "\(.*\)"$/\1/p' "$header")" "$version"
check "version.h's major" "$(sed -n 's/^#define TESSADOX_VERSION_MAJOR //p' "$header")" "$major"
check "version.h's minor" "$(sed -n 's/^#define TESSADOX_VERSION_MINOR //p' "$header")" "$minor"
check "tessadox.pc" "$(sed -n 's/^Version: //p' "$build/tessadox.pc")" "$version"
check "the CMake package" \
  "$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/tessadoxConfigVersion.cmake")" "$version"
check "debian/changelog" "$(sed -n '1s/^tessadox (\(.*\)) .*/\1/p' "$source_tree/debian/changelog")" \
  "$version"
check "web/package.json" \
  "$(sed -n 's/^  "version": "\(.*\)",$/\1/p' "$source_tree/web/package.json")" "$version.0"
check "the shared library" "$(basename "$(readlink -f "$build/libtessadox.so")")" \
  "libtessadox.so.$version"

finish
