#!/usr/bin/env bash
# Gradescope runs this once, as root, when it builds the autograder's image:
# it installs what building a submission needs and the VELKO packages that
# make_autograder.sh put in the zip (built for the image's system).
set -euo pipefail
apt-get update
apt-get install -y --no-install-recommends g++ cmake ninja-build pkg-config python3 \
  /autograder/source/debs/*.deb
