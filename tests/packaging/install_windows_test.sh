#!/usr/bin/env bash
# The Windows package as another project uses it: installs the windows
# preset's build into a fresh prefix, cross-builds examples/bounce as a
# project of its own with only find_package(velko), and runs it under Wine on
# the headless backend, where it must end by itself with status 0.
#
#   install_windows_test.sh <windows build dir> <source dir>
# (WINEPREFIX and the other Wine variables come from the test's environment)
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() {
  echo "Windows install test: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null
[ -f "$prefix/include/velko/velko.h" ] || fail "no velko/velko.h installed"
[ -n "$(find "$prefix" -name libvelko.a)" ] || fail "no libvelko.a installed"

cmake -S "$source/examples/bounce" -B "$work/bounce" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64.cmake" \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" >/dev/null ||
  fail "examples/bounce does not configure against the installed package"
cmake --build "$work/bounce" >/dev/null || fail "examples/bounce does not build"
[ -f "$work/bounce/bounce.exe" ] || fail "no bounce.exe"

cd "$work"
status=0
VELKO_BACKEND=headless timeout 120 wine "$work/bounce/bounce.exe" >"$work/out.txt" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "bounce.exe ended with status $status: $(cat "$work/out.txt")"
echo "Windows install test: installed, bounce.exe built against the package and ran headless"
