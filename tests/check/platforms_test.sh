#!/usr/bin/env bash
# The course template on the course platforms, laid out as each lays out a
# grading job, in a temporary folder: the Gradescope autograder zip unpacked
# and its run_autograder run, and the PrairieLearn question's grader, on a
# right, a wrong, a crashing submission and one that does not build. Each
# results.json must pass the platform's schema and give the right score.
#   platforms_test.sh <build dir> <source dir>
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "platforms test: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
export VELKO_PREFIX=$work/prefix
cp -r "$source/examples/course" "$work/course"
validate=$source/tests/check/validate_reports.py

for submission in right wrong crash broken; do mkdir -p "$work/submissions/$submission"; done
cp "$work/course/reference/reference.cpp" "$work/submissions/right/solution.cpp"
cp "$work/course/solution.cpp" "$work/submissions/wrong/solution.cpp"
cat >"$work/submissions/crash/solution.cpp" <<'CPP'
#include <velko/velko.h>
#include <cstdlib>
int main() {
  VELKO_start(nullptr, nullptr, nullptr, 1);
  int x = 0, y = 0;
  char key = 0;
  VELKO_next_event(&x, &y, &key);
  std::abort();
}
CPP
echo 'int main( {' >"$work/submissions/broken/solution.cpp"

# "name: expected" lines from a results.json, for the checks below.
summary() {
  python3 - "$1" <<'PYTHON'
import json, sys
r = json.load(open(sys.argv[1], encoding="utf-8"))
tests = r.get("tests", [])
print("score", r.get("score"))
print("gradable", r.get("gradable", True))
print("statuses", ",".join(t.get("status", "") for t in tests))
print("images", ",".join(str(len(t.get("images", []))) for t in tests))
print("pictures", ",".join(str(t.get("output", "").count("<img src=\"data:image/png")) for t in tests))
PYTHON
}

expect() {  # expect FILE LINE...
  local file=$1 line found
  shift
  found=$(summary "$file")
  for line in "$@"; do
    grep -qxF "$line" <<<"$found" || fail "$file: no \"$line\" in: $(tr '\n' ' ' <<<"$found")"
  done
}

# Gradescope: the zip as make_autograder.sh makes it, unpacked in source/.
"$work/course/gradescope/make_autograder.sh" "$work/autograder.zip" >"$work/make_autograder.txt" 2>&1 ||
  { cat "$work/make_autograder.txt" >&2; fail "make_autograder.sh failed"; }
# The listing is read whole first: grep -q leaves a pipe at its first match,
# and unzip, killed by SIGPIPE, would fail the pipeline (pipefail).
listing=$(unzip -l "$work/autograder.zip")
grep -q ' run_autograder$' <<<"$listing" || fail "no run_autograder at the zip's root"
grep -q 'reference.cpp' <<<"$listing" && fail "the reference's source is in the zip"
for submission in right wrong crash broken; do
  root=$work/gradescope-$submission
  mkdir -p "$root/source" "$root/submission"
  (cd "$root/source" && unzip -q "$work/autograder.zip")
  cp "$work/submissions/$submission/solution.cpp" "$root/submission/"
  VELKO_GRADESCOPE_ROOT=$root "$root/source/run_autograder" >"$work/gradescope-$submission.txt" 2>&1 ||
    { cat "$work/gradescope-$submission.txt" >&2; fail "run_autograder failed on $submission"; }
  python3 "$validate" gradescope "$root/results/results.json" || fail "gradescope $submission: schema"
done
expect "$work/gradescope-right/results/results.json" "score 10.0" "statuses passed,passed" "pictures 1,1"
expect "$work/gradescope-wrong/results/results.json" "statuses failed,failed" "pictures 3,3"
expect "$work/gradescope-crash/results/results.json" "score 0.0" "statuses failed,failed"
expect "$work/gradescope-broken/results/results.json" "score 0" "statuses failed"
wrong=$(summary "$work/gradescope-wrong/results/results.json" | sed -n 's/^score //p')
python3 -c "import sys; sys.exit(not 0 < float(sys.argv[1]) < 10)" "$wrong" || fail "the wrong one scored $wrong"

# PrairieLearn: the question's tests/ as /grade/tests, the student's file in
# /grade/student, and the entrypoint info.json names.
"$work/course/prairielearn/make_question.sh" "$work/pl-course" >/dev/null
tests=$work/pl-course/questions/velko-traffic-light/tests
entrypoint=$(python3 -c "import json,sys; print(' '.join(json.load(open(sys.argv[1]))['externalGradingOptions']['entrypoint']))" \
  "$work/pl-course/questions/velko-traffic-light/info.json")
for submission in right wrong crash broken; do
  root=$work/prairielearn-$submission
  mkdir -p "$root/student"
  cp -r "$tests" "$root/tests"
  cp "$work/submissions/$submission/solution.cpp" "$root/student/"
  # The entrypoint's paths are /grade's; here they are the root's.
  VELKO_PRAIRIELEARN_ROOT=$root ${entrypoint//\/grade\//$root/} >"$work/prairielearn-$submission.txt" 2>&1 ||
    { cat "$work/prairielearn-$submission.txt" >&2; fail "the grader failed on $submission"; }
  python3 "$validate" prairielearn "$root/results/results.json" || fail "prairielearn $submission: schema"
done
expect "$work/prairielearn-right/results/results.json" "score 1.0" "images 1,1"
expect "$work/prairielearn-wrong/results/results.json" "images 3,3"
expect "$work/prairielearn-crash/results/results.json" "score 0.0"
expect "$work/prairielearn-broken/results/results.json" "gradable False"
echo "platforms test: Gradescope's and PrairieLearn's layouts grade and validate"
