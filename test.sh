#!/usr/bin/env bash
# Sets up, builds and runs every test; exits non-zero on any failure.
#   1. the runtime's parts and the designer cross-compiled for Windows (they
#      must build there warning-free too);
#   2. the tests that need no display, under the address and undefined-
#      behaviour sanitizers;
#   3. every test, desktop end-to-end scenarios included, on the normal build.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $DESKTOP_TEST_PACKAGES $WINDOWS_CROSS_PACKAGES

echo "== Windows cross build of the portable parts"
cmake --preset windows-portable >/dev/null
cmake --build --preset windows-portable

echo "== Sanitizer build and tests"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize --label-exclude desktop

echo "== Build and all tests"
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux
