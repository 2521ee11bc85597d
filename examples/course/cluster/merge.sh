#!/usr/bin/env bash
# The class's reports from every slice, once all have ended: VELKO_WORK/report
# (index.html, grades.csv, results.json, junit.xml). VELKO_FORMATS adds the
# course platforms' results (gradescope, prairielearn).
set -euo pipefail
course=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "${VELKO_WORK:-$course/cluster-work}")
status=0
"${VELKO_CHECK:-velko-check}" merge -o "$work/report" ${VELKO_FORMATS:+--format "$VELKO_FORMATS"} \
  "$work"/slices/* || status=$?
[ "$status" -le 1 ]
