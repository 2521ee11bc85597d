#!/usr/bin/env bash
# Sets up, builds and runs every test; exits non-zero on any failure.
#   1. the runtime's parts and the designer cross-compiled for Windows (they
#      must build there warning-free too);
#   2. the tests that need no display, under the address and undefined-
#      behaviour sanitizers;
#   3. the tests that need no display, built with clang;
#   4. each fuzz target for a short run (about a minute each);
#   5. every test, desktop end-to-end scenarios included, on the normal build.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $DESKTOP_TEST_PACKAGES $WINDOWS_CROSS_PACKAGES $FUZZ_PACKAGES

echo "== Windows cross build of the portable parts"
cmake --preset windows-portable >/dev/null
cmake --build --preset windows-portable

echo "== Sanitizer build and tests"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize --label-exclude desktop

echo "== clang build and the tests that need no display"
cmake --preset clang >/dev/null
cmake --build --preset clang
ctest --preset clang

echo "== Fuzz targets, short runs"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz

echo "== Build and all tests"
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux
