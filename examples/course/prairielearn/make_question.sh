#!/usr/bin/env bash
# Lays out this course's check as a PrairieLearn question with an external
# grader, in a PrairieLearn course folder:
#   COURSE/questions/NAME/info.json, question.html, tests/ (the grading files)
# and the grader's image (Dockerfile here) to build and push under the name
# info.json gives. The grader runs /grade/tests/grade_submission.sh, which
# reads /grade/student and writes /grade/results/results.json.
#   make_question.sh PRAIRIELEARN_COURSE_FOLDER [NAME]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
question=$1/questions/${2:-velko-traffic-light}
mkdir -p "$question"
cp "$here/info.json" "$here/question.html" "$question/"
"$here/../make_grading_files.sh" "$question/tests"
echo "make_question: $question"
