#!/usr/bin/env bash
# Grades one submission on a course platform that runs each in a container
# of its own: builds the student's sources with the course's CMakeLists.txt
# and checks the program against the reference results kept beside this
# script, leaving the platform's results file.
#   grade_submission.sh gradescope|prairielearn SUBMISSION_FOLDER
# The layout's root: $VELKO_GRADESCOPE_ROOT (default /autograder) or
# $VELKO_PRAIRIELEARN_ROOT (default /grade); the results go to
# ROOT/results/results.json. VELKO_PREFIX: where VELKO is installed, when
# not in the system's usual places.
#
# velko-check runs with its default sandbox (auto): inside the platform's
# container, where user namespaces are usually forbidden, the container is
# the boundary between a submission and the grader.
set -uo pipefail
format=$1
submission=$2
here=$(cd "$(dirname "$0")" && pwd)
case $format in
  gradescope) root=${VELKO_GRADESCOPE_ROOT:-/autograder}; export VELKO_GRADESCOPE_ROOT=$root ;;
  prairielearn) root=${VELKO_PRAIRIELEARN_ROOT:-/grade}; export VELKO_PRAIRIELEARN_ROOT=$root ;;
  *) echo "usage: grade_submission.sh gradescope|prairielearn SUBMISSION_FOLDER" >&2; exit 64 ;;
esac
prefix=${VELKO_PREFIX:-}
check=${prefix:+$prefix/bin/}velko-check
mkdir -p "$root/results"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The student's sources only, into a folder of the grader's.
cp "$here/CMakeLists.txt" "$work/"
find "$submission" -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.h' \) -exec cp {} "$work/" \;
if ! { cmake -S "$work" -B "$work/build" ${prefix:+-DCMAKE_PREFIX_PATH="$prefix"} &&
       cmake --build "$work/build" --target solution; } >"$work/build.txt" 2>&1; then
  # Not gradable as a program: the platform shows why, and no run is counted.
  cat "$work/build.txt"
  BUILD_LOG=$(tail -c 20000 "$work/build.txt") FORMAT=$format RESULTS=$root/results/results.json \
    python3 - <<'PYTHON'
import json, os
log = os.environ["BUILD_LOG"]
if os.environ["FORMAT"] == "gradescope":
    result = {"score": 0, "output": "Your program did not build:\n" + log, "output_format": "text",
              "tests": [{"name": "Build", "status": "failed", "score": 0, "output": log}]}
else:
    result = {"gradable": False, "message": "Your program did not build.",
              "format_errors": [log]}
with open(os.environ["RESULTS"], "w", encoding="utf-8") as out:
    json.dump(result, out)
PYTHON
  exit 0
fi

cd "$here"
# shellcheck source=check.conf
. ./check.conf
"$check" --class "${check_options[@]}" --points "$points" --format "$format" \
  -R reference-results -o "$work/report" "$work/build/solution"
status=$?
if [ "$status" -gt 1 ] || [ ! -s "$root/results/results.json" ]; then
  # The grader failed, not the submission: no results, so the platform says so.
  echo "grade_submission: velko-check ended with status $status" >&2
  rm -f "$root/results/results.json"
  exit 1
fi
