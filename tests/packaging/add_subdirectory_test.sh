#!/usr/bin/env bash
# This project inside another one: a parent adds it with add_subdirectory
# and builds with flags of its own (warnings the runtime is not written
# against, and a definition). The runtime's sources must be compiled with the
# parent's flags but without this project's -Werror and sanitizers, none of
# its tests are configured, and the parent's program works (velko-check).
#
#   add_subdirectory_test.sh <source dir>
set -euo pipefail
source=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "add_subdirectory test: $*" >&2
  exit 1
}
# shellcheck source=../support/install_checks.sh
. "$source/tests/support/install_checks.sh"

build=$work/build
cmake -S "$source/tests/packaging/parent" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVELKO_SOURCE="$source" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DCMAKE_CXX_FLAGS="-Wshadow -Wconversion -DVELKO_PARENT_FLAGS=1" >"$work/configure.txt" 2>&1 ||
  { cat "$work/configure.txt" >&2; fail "the parent does not configure"; }
[ ! -e "$build/velko/tests" ] || fail "the runtime's tests are configured in the parent"

# table: source file of the runtime | what its compile command must hold | must not hold
while IFS='|' read -r file wanted unwanted; do
  command=$(grep -F "\"command\"" "$build/compile_commands.json" | grep -F "$source/$file\"" |
    head -1 || true)
  [ -n "$command" ] || fail "no compile command for $file"
  for flag in $wanted; do
    [[ "$command" == *" $flag "* ]] || fail "$file is compiled without the parent's $flag"
  done
  for flag in $unwanted; do
    [[ "$command" == *"$flag"* ]] && fail "$file is compiled with $flag in the parent"
  done
done <<'TABLE'
runtime/window/window.cpp|-Wconversion -DVELKO_PARENT_FLAGS=1|-Werror -fsanitize
runtime/platform/render/raster_polygons.cpp|-Wshadow -DVELKO_PARENT_FLAGS=1|-Werror -fsanitize
runtime/platform/gtk/gtk_windows.cpp|-Wconversion|-Werror -fsanitize
TABLE

cmake --build "$build" -j2 --target parent_bounce velko-check >"$work/build.txt" 2>&1 ||
  { tail -30 "$work/build.txt" >&2; fail "the parent does not build"; }
expect_check "$build/velko/bin/velko-check" parent_bounce "$build/parent_bounce"
echo "add_subdirectory test: built with the parent's flags, without -Werror, and checked"
