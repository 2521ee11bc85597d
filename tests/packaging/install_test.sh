#!/usr/bin/env bash
# The runtime as others get it: installs the built project into a fresh
# prefix, builds examples/bounce as a project of its own with only
# find_package(velko), builds every program of docs/runtime.md with only
# pkg-config, and checks each with the installed velko-check.
#
#   install_test.sh <build dir> <source dir>
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() {
  echo "install test: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name 'libvelko.so' | head -n 1)")
[ -n "$libdir" ] || fail "no libvelko.so installed"
[ -f "$prefix/include/velko/velko.h" ] || fail "no velko/velko.h installed"
[ -x "$prefix/bin/velko-check" ] || fail "no velko-check installed"
check=$prefix/bin/velko-check

# shellcheck source=../support/install_checks.sh
. "$source/tests/support/install_checks.sh"

# A project of its own, with only the installed package.
cmake -S "$source/examples/bounce" -B "$work/bounce" -G Ninja \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null || fail "examples/bounce does not configure"
cmake --build "$work/bounce" >/dev/null || fail "examples/bounce does not build"
expect_check "$check" bounce "$work/bounce/bounce"
grep -q "click at (10, 20): colour 3" "$work/check-bounce/log.txt" ||
  fail "bounce logged: $(cat "$work/check-bounce/log.txt")"

# The GTK backend is a module beside the library, loaded only when a program
# opens it: the library itself needs none of the toolkit; without a display
# the backend says so; without its module, the program says that.
if readelf -d "$libdir/libvelko.so" | grep -q 'NEEDED.*libgtk'; then
  fail "libvelko.so needs GTK itself"
fi
no_display() {
  env -u DISPLAY -u WAYLAND_DISPLAY VELKO_BACKEND=gtk "$@" 2>&1
}
said=$(no_display "$work/bounce/bounce") && fail "bounce ran without a display"
[[ $said == *"cannot open a display"* ]] || fail "without a display, bounce said: $said"
mkdir "$work/no-module"
cp -L "$libdir/libvelko.so.1" "$work/no-module/"
said=$(LD_LIBRARY_PATH="$work/no-module" no_display "$work/bounce/bounce") &&
  fail "bounce ran without its GTK module"
[[ $said == *"the GTK backend cannot be loaded: "*"velko/gtk.so"* ]] ||
  fail "without its GTK module, bounce said: $said"

# Every program of the guide, with only pkg-config.
export PKG_CONFIG_PATH=$libdir/pkgconfig
[ "$(pkg-config --modversion velko)" = "$(sed -n 's/^project(velko .*VERSION \([0-9.]*\)).*/\1/p' "$source/CMakeLists.txt")" ] ||
  fail "pkg-config gives version $(pkg-config --modversion velko)"
export LD_LIBRARY_PATH=$libdir
programs=$(check_guide "$check" "$source/docs/runtime.md")
echo "install test: installed, bounce and $programs programs of the guide built and checked"
