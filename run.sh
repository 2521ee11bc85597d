#!/usr/bin/env bash
# Sets up, builds and launches the cone designer.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES

cmake --preset linux >/dev/null
cmake --build --preset linux --target velko-cone
exec build/linux/bin/velko-cone
