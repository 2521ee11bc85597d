#!/usr/bin/env bash
# Makes every package in build/package and checks them:
#   the Debian packages and the source tarball (workflow preset package),
#   the Windows zip (workflow preset package-windows, MinGW-w64),
#   the web package, velko-web-<version>.tar.gz (workflow preset
#   package-web, emscripten),
#   lintian, desktop-file-validate and appstreamcli on what they hold, and
#   what every package must and must not carry.
#
#   ./package.sh                           everything
#   ./package.sh --no-windows --no-web     without the Windows zip, the web package
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
windows=1
web=1
for option in "$@"; do
  case $option in
    --no-windows) windows=0 ;;
    --no-web) web=0 ;;
    *) echo "usage: ./package.sh [--no-windows] [--no-web]" >&2; exit 2 ;;
  esac
done
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $CHECK_PACKAGES $PACKAGING_PACKAGES
if [ "$windows" = 1 ]; then
  # shellcheck disable=SC2086
  ensure_packages $WINDOWS_CROSS_PACKAGES
fi
if [ "$web" = 1 ]; then
  # shellcheck disable=SC2086
  ensure_packages $WEB_BUILD_PACKAGES
fi

# Old packages of another version would be checked and installed too.
rm -rf build/package
echo "== Debian packages and the source tarball"
cmake --workflow --preset package
checks=()
if [ "$windows" = 1 ]; then
  echo "== Windows zip"
  cmake --workflow --preset package-windows
  checks+=(--zip)
fi
if [ "$web" = 1 ]; then
  echo "== Web package"
  scripts/web-freetype.sh
  NODE_PATH=/usr/share/nodejs cmake --workflow --preset package-web
  checks+=(--web)
fi
rm -rf build/package/_CPack_Packages
echo "== Validators"
tests/packaging/validate_packages.sh "${checks[@]}" build/package
ls -l build/package
