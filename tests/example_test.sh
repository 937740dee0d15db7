#!/usr/bin/env bash
# The example in examples/ draws what the command draws, built four ways: on
# the build tree, on an installed prefix through pkg-config and through
# CMake's find_package, and by the README's own commands for a prefix of
# one's own, run as written.
#
# usage: example_test.sh BUILD_FOLDER TESSADOX_BINARY
set -euo pipefail
build=$1 binary=$2
source_tree=$(cd "$(dirname "$0")/.." && pwd)
example=$source_tree/examples/draw_checksum.c

# shellcheck source=tests/shell_checks.sh
source "$(dirname "$0")/shell_checks.sh"
make_work_folder

checksum=469369a0d4125559535c4c5062a3c303
printf %s "$checksum" | SOURCE_DATE_EPOCH=1700000000 "$binary" -r 200 >"$work/expected.png"

# Runs an example binary and compares its picture with the command's.
check_example() {
  local program=$1 what=$2
  rm -f "$work/drawn.png"
  if ! "$program" "$checksum" "$work/drawn.png"; then
    fail "$what: the example failed"
  elif ! cmp -s "$work/drawn.png" "$work/expected.png"; then
    fail "$what: the example drew another picture than the command"
  fi
}

cc -std=c99 -Wall -Wextra -Werror -I"$source_tree/include" -I"$build/include" "$example" -L"$build" -ltessadox \
  -Wl,-rpath,"$build" -o "$work/on_build_tree"
check_example "$work/on_build_tree" "on the build tree"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name libtessadox.so.3 | head -n 1)")
export PKG_CONFIG_PATH=$libdir/pkgconfig
# pkg-config answers for the installed prefix, so nothing of the build tree
# is in the way.
flags=$(pkg-config --cflags --libs tessadox)
included=$(realpath -m "$(pkg-config --variable=includedir tessadox)")
[ "$included" = "$prefix/include" ] || fail "pkg-config's includedir is $included"
# shellcheck disable=SC2086
cc -std=c99 -Wall -Wextra -Werror "$example" $flags -Wl,-rpath,"$libdir" -o "$work/by_pkg_config"
check_example "$work/by_pkg_config" "through pkg-config"
# The static library links in, with what it needs from pkg-config --static.
# shellcheck disable=SC2086
cc -std=c99 "$example" -I"$prefix/include" "$libdir/libtessadox.a" \
  $(pkg-config --libs-only-other --libs-only-L --static tessadox | sed 's/-ltessadox//') \
  $(pkg-config --static --libs tessadox | sed 's/-ltessadox//') -o "$work/static"
check_example "$work/static" "linked statically"
if ldd "$work/static" | grep -q libtessadox; then
  fail "the statically linked example still loads libtessadox"
fi

cmake -S "$source_tree/examples" -B "$work/by_cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_BUILD_RPATH="$libdir" >"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; fail "cmake"; }
cmake --build "$work/by_cmake" >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "build"; }
check_example "$work/by_cmake/draw_checksum" "through find_package"

# The README's commands for a prefix of one's own, as a user would paste
# them into a shell in the source tree: a fresh $HOME, the build folder
# where scripts/build leaves it.
readme_commands=$(sed -n '/^cmake --install build --prefix "\$HOME\/tessadox"$/,/^\.\/draw_checksum /p' \
  "$source_tree/README.md")
[ "$(wc -l <<<"$readme_commands")" -ge 4 ] || fail "no commands for a prefix of one's own in the README"
mkdir -p "$work/user/home"
ln -s "$build" "$work/user/build"
ln -s "$source_tree/examples" "$work/user/examples"
if ! (cd "$work/user" && env -u PKG_CONFIG_PATH -u LD_LIBRARY_PATH HOME="$work/user/home" \
  bash -euo pipefail -c "$readme_commands") >"$work/readme.log" 2>&1; then
  cat "$work/readme.log"
  fail "the README's commands for a prefix of one's own failed"
elif ! cmp -s "$work/user/picture.png" "$work/expected.png"; then
  fail "the README's commands drew another picture than the command"
fi

finish
