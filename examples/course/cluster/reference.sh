#!/usr/bin/env bash
# The reference, once, before the slices: its results go to
# VELKO_WORK/reference (see slice.sh). The course's reference-results/ are
# taken where they are there; else VELKO_REFERENCE, the reference program,
# is run on the scripts.
set -euo pipefail
course=$(cd "$(dirname "$0")/.." && pwd)
cd "$course"
work=$(realpath -m "${VELKO_WORK:-cluster-work}")
mkdir -p "$work"
rm -rf "$work/reference" "$work/slices" "$work/report"
if [ -d reference-results ]; then
  cp -r reference-results "$work/reference"
  exit 0
fi
reference=$(realpath "${VELKO_REFERENCE:?give the reference program in VELKO_REFERENCE}")
# shellcheck source=../check.conf
. ./check.conf
"${VELKO_CHECK:-velko-check}" --class "${check_options[@]}" -r "$reference" \
  -o "$work/reference-run" "$reference" >"$work/reference.txt" ||
  { cat "$work/reference.txt" >&2; exit 1; }
mv "$work/reference-run/reference" "$work/reference"
rm -rf "$work/reference-run"
