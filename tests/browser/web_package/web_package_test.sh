#!/usr/bin/env bash
# The browser build as a student gets it: installed into a prefix (then
# moved elsewhere, as an unpacked archive would be), the installed
# examples/bounce configured as a project of its own with emcmake and
# find_package(velko), built into bounce.html, .js and .wasm, and the page
# served and opened in Chromium, where the program must run.
#
#   web_package_test.sh <web build dir> <source dir>
set -euo pipefail
web=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "web package test: $*" >&2
  exit 1
}
# Debian's emscripten needs node's modules from Debian's folder.
export NODE_PATH=/usr/share/nodejs

cmake --install "$web" --prefix "$work/staged" >"$work/install.txt" 2>&1 ||
  { cat "$work/install.txt" >&2; fail "the web build does not install (is it built?)"; }
mv "$work/staged" "$work/prefix"
prefix=$work/prefix

for file in include/velko/velko.h lib/libvelko.a lib/cmake/velko/velkoConfig.cmake \
  lib/cmake/velko/velkoConfigVersion.cmake lib/cmake/velko/velko_web_page.cmake \
  share/velko/web/web_library.js share/velko/web/web_page.js share/velko/web/web_shell.html \
  share/velko/web/fonts-OFL.txt \
  share/doc/velko/web.md share/doc/velko/checking.md share/doc/velko/examples/bounce/CMakeLists.txt; do
  [ -f "$prefix/$file" ] || fail "no $file installed"
done
[ ! -e "$prefix/share/doc/velko/examples/course/reference" ] ||
  fail "the package carries the course's reference solution"
# The package names its files under its own prefix only: nothing of this
# tree, of the web build or of where it was installed first.
for place in "$source" "$web" "$work/staged"; do
  if grep -rlF "$place" "$prefix/lib/cmake" >"$work/found.txt"; then
    fail "$(tr '\n' ' ' <"$work/found.txt")names $place"
  fi
done
# Every file the exported target links or names is there.
# shellcheck disable=SC2016  # the exported file's own variable
named=$(grep -ho '\${_IMPORT_PREFIX}/[^;" ]*' "$prefix"/lib/cmake/velko/velkoTargets*.cmake | sort -u)
[ -n "$named" ] || fail "the exported target names no installed file"
for file in $named; do
  [ -e "$prefix/${file#\$\{_IMPORT_PREFIX\}/}" ] || fail "the package names $file, which is not installed"
done

# As docs/web.md says to build it: no build type named, and an optimised
# page all the same.
bounce=$work/bounce
emcmake cmake -S "$prefix/share/doc/velko/examples/bounce" -B "$bounce" -G Ninja \
  -DCMAKE_FIND_ROOT_PATH="$prefix" >"$work/configure.txt" 2>&1 ||
  { cat "$work/configure.txt" >&2; fail "bounce does not configure against the package"; }
cmake --build "$bounce" -v >"$work/build.txt" 2>&1 ||
  { tail -30 "$work/build.txt" >&2; fail "bounce does not build against the package"; }
for step in 'bounce\.cpp\.o -c' '-o bounce\.html'; do
  grep -E -- "$step" "$work/build.txt" | grep -q -- ' -O3 ' ||
    fail "bounce is not optimised without a build type: $(grep -E -- "$step" "$work/build.txt")"
done
grep -qi 'warning' "$work/build.txt" && fail "building bounce warns: $(grep -i warning "$work/build.txt")"
for file in bounce.html bounce.js bounce.wasm fonts-OFL.txt; do
  [ -s "$bounce/$file" ] || fail "the build made no $file"
done
grep -q 'id="velko-desk"' "$bounce/bounce.html" || fail "bounce.html is not made from the page's shell"

node "$source/tests/browser/web_package/page_runs.mjs" "$bounce" bounce.html ||
  fail "bounce.html does not run in Chromium"
echo "web package test: installed, moved, bounce built with find_package(velko) and run in Chromium"
