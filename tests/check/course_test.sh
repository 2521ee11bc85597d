#!/usr/bin/env bash
# The course template as a course uses it: with the runtime installed in a
# fresh prefix, examples/course's check.sh builds a solution and checks it.
# The template's own solution (a start) does not match, the reference
# solution does, and so does it against reference results kept from before.
#
#   course_test.sh <build dir> <source dir>
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "course test: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cp -r "$source/examples/course" "$work/course"
course=$work/course

status=0
"$course/check.sh" "$work/prefix" >"$work/start.txt" 2>&1 || status=$?
[ "$status" -eq 1 ] || { cat "$work/start.txt" >&2; fail "the start of a solution gave status $status, not 1"; }
for report in index.html results.json junit.xml; do
  [ -s "$course/check-report/$report" ] || fail "no $report"
done
grep -q '<failure type="differs"' "$course/check-report/junit.xml" || fail "junit.xml: $(cat "$course/check-report/junit.xml")"

cp "$course/reference/reference.cpp" "$course/solution.cpp"
"$course/check.sh" "$work/prefix" >"$work/right.txt" 2>&1 ||
  { cat "$work/right.txt" >&2; fail "the reference solution does not match itself"; }
grep -q '"all_match": true' "$course/check-report/results.json" || fail "results.json says not all match"

# The students' copy: the reference's results without its program.
mv "$course/check-report/reference" "$course/reference-results"
rm -rf "$course/reference" "$course/build"
"$course/check.sh" "$work/prefix" >"$work/kept.txt" 2>&1 ||
  { cat "$work/kept.txt" >&2; fail "the solution does not match the kept reference results"; }
echo "course test: the template builds, checks and reports"
