#!/usr/bin/env bash
# Makes the autograder zip to upload to Gradescope from the course folder
# above: setup.sh and run_autograder at its root, the grading files in
# course/ (make_grading_files.sh: no reference source, its results only),
# and the VELKO .deb packages for the image in debs/.
#   make_autograder.sh OUT.zip [DEB_FOLDER]
# DEB_FOLDER holds velko-tools, libvelko1 and libvelko-dev .deb files built
# for the image's system (./package.sh in a container of that release).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
zip=$(realpath -m "$1")
debs=${2:-}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$here/setup.sh" "$here/run_autograder" "$stage/"
"$here/../make_grading_files.sh" "$stage/course"
mkdir -p "$stage/debs"
if [ -n "$debs" ]; then
  cp "$debs"/*.deb "$stage/debs/"
else
  echo "make_autograder: no DEB_FOLDER: setup.sh will find no VELKO packages to install" >&2
fi
rm -f "$zip"
(cd "$stage" && zip -qr "$zip" .)
echo "make_autograder: $zip"
