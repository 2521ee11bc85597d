#!/usr/bin/env bash
# Makes every package in build/package and checks them with the platforms'
# own validators:
#   the Debian packages and the source tarball (workflow preset package),
#   the Windows zip (workflow preset package-windows, MinGW-w64),
#   lintian, desktop-file-validate and appstreamcli on what they hold.
#
#   ./package.sh              everything
#   ./package.sh --no-windows without the Windows zip
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
windows=1
[ "${1:-}" = "--no-windows" ] && windows=0
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $CHECK_PACKAGES $PACKAGING_PACKAGES
if [ "$windows" = 1 ]; then
  # shellcheck disable=SC2086
  ensure_packages $WINDOWS_CROSS_PACKAGES
fi

# Old packages of another version would be checked and installed too.
rm -rf build/package
echo "== Debian packages and the source tarball"
cmake --workflow --preset package
zip=()
if [ "$windows" = 1 ]; then
  echo "== Windows zip"
  cmake --workflow --preset package-windows
  zip=(--zip)
fi
rm -rf build/package/_CPack_Packages
echo "== Validators"
tests/package/validate_packages.sh "${zip[@]}" build/package
ls -l build/package
