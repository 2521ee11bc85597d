#!/usr/bin/env bash
# Sets up, builds and runs every test; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $DESKTOP_TEST_PACKAGES

cmake --preset linux
cmake --build --preset linux
ctest --preset linux
