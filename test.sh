#!/usr/bin/env bash
# Sets up, builds and runs every test; exits non-zero on any failure.
#   1. the Windows build (MinGW-w64 cross compiler): the program, its
#      Windows-side checks and the unit tests, run under Wine;
#   2. the tests that need no display, under the address and undefined-
#      behaviour sanitizers;
#   3. the tests that need no display, built with clang;
#   4. each fuzz target for a short run (about a minute each);
#   5. the packages (./package.sh: the Debian packages, the source tarball,
#      the Windows zip and the web package, checked by lintian,
#      desktop-file-validate and appstreamcli, and for what they carry);
#   6. the browser build (emscripten), whose pages the tests below open;
#   7. every test on the normal build: the desktop end-to-end scenarios of
#      the Linux program, those of the Windows program under Wine, those of
#      the browser's in Chromium, and the packages installed, used and
#      removed.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $CHECK_PACKAGES $DESKTOP_TEST_PACKAGES $WINDOWS_CROSS_PACKAGES \
  $WINE_TEST_PACKAGES $FUZZ_PACKAGES $BROWSER_TEST_PACKAGES $PACKAGING_PACKAGES $WEB_BUILD_PACKAGES \
  $CHECK_TEST_PACKAGES
# The browser tests' node project (puppeteer-core), as its lock file says.
command -v npm >/dev/null 2>&1 || ensure_packages nodejs npm
npm ci --prefix tests/browser --no-audit --no-fund

# The Wine tests keep a server running for the whole test run; a run that
# stops half-way ends it too.
end_wine_servers() {
  for prefix in build/windows/wine-prefix build/linux/wine-prefix; do
    if [ -d "$prefix" ]; then
      scripts/wine-prefix.sh --end "$prefix" || true
    fi
  done
}
trap end_wine_servers EXIT

echo "== Windows build and its tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows

echo "== Sanitizer build and tests"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize --label-exclude "desktop|wine"

echo "== clang build and the tests that need no display"
cmake --preset clang >/dev/null
cmake --build --preset clang
ctest --preset clang

echo "== Fuzz targets, short runs"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz

echo "== Packages"
./package.sh

echo "== Browser build"
scripts/web-freetype.sh
NODE_PATH=/usr/share/nodejs emcmake cmake --preset web >/dev/null
cmake --build --preset web

echo "== Build and all tests"
# The Wine tests run what the Windows build made, the browser tests what the
# browser build made.
cmake --preset linux -DVELKO_WINDOWS_BIN="$PWD/build/windows/bin" \
  -DVELKO_WEB_BIN="$PWD/build/web/bin" >/dev/null
cmake --build --preset linux
ctest --preset linux --label-exclude wine
# The Windows program under Wine last, on a machine no browser test shares.
ctest --preset linux --label-regex wine
