#!/usr/bin/env bash
# Builds the solution (and the reference, where it is there) and checks the
# solution against it on both scripts; the report goes to check-report/.
# Exit status 0 when the solution matches the reference on both.
#   ./check.sh [PREFIX]   PREFIX: where VELKO is installed (else VELKO_PREFIX,
#                         else CMake's usual places); velko-check is taken
#                         from PREFIX/bin, else from PATH.
set -euo pipefail
cd "$(dirname "$0")"
prefix=${1:-${VELKO_PREFIX:-}}
check=velko-check
if [ -n "$prefix" ]; then
  check=$prefix/bin/velko-check
fi
cmake -S . -B build ${prefix:+-DCMAKE_PREFIX_PATH="$prefix"} >/dev/null
cmake --build build
# The reference's results may be kept instead of its program: put them in
# reference-results/ (the reference/ folder of an earlier report).
if [ -d reference-results ]; then
  reference=(-R reference-results)
else
  reference=(-r build/reference)
fi
# shellcheck source=check.conf
. ./check.conf
exec "$check" --class "${check_options[@]}" "${reference[@]}" -o check-report build/solution
