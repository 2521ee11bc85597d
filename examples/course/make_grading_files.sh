#!/usr/bin/env bash
# The files a course platform's grader needs, from this course folder: the
# build (CMakeLists.txt), the settings (check.conf), the scripts, the
# reference's results and grade_submission.sh; never the reference's source.
# The reference results are reference-results/ when the folder has them,
# else they are made here from reference/reference.cpp.
#   make_grading_files.sh OUT_FOLDER
# VELKO_PREFIX: where VELKO is installed, when not in the usual places.
set -euo pipefail
course=$(cd "$(dirname "$0")" && pwd)
out=$1
prefix=${VELKO_PREFIX:-}
check=${prefix:+$prefix/bin/}velko-check
mkdir -p "$out"
cp "$course/CMakeLists.txt" "$course/check.conf" "$course/grade_submission.sh" "$out/"
cp -r "$course/scripts" "$out/"
rm -rf "$out/reference-results"
if [ -d "$course/reference-results" ]; then
  cp -r "$course/reference-results" "$out/"
else
  build=$(mktemp -d)
  trap 'rm -rf "$build"' EXIT
  cmake -S "$course" -B "$build" ${prefix:+-DCMAKE_PREFIX_PATH="$prefix"} >/dev/null
  cmake --build "$build" --target reference >/dev/null
  # shellcheck source=check.conf
  . "$course/check.conf"
  (cd "$course" && "$check" --class "${check_options[@]}" -r "$build/reference" -o "$build/once" \
    "$build/reference" >/dev/null)
  cp -r "$build/once/reference" "$out/reference-results"
  rm -rf "$out"/reference-results/*/work
fi
