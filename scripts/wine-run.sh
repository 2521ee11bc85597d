#!/usr/bin/env bash
# Runs a program of the Windows cross build under Wine: the build's emulator,
# which ctest puts before every Windows test. Now and then (two runs of the
# 187 unit tests in about thirty, two tests at a time under one server) Wine
# ended at once with a failure and printed nothing: the program never
# started, as even a test that fails prints GoogleTest's lines. Such a start
# is made once more, and said on standard error. A program that starts and
# fails, or prints anything, is not run again.
#
#   wine-run.sh PROGRAM.exe [ARGUMENT...]
set -u
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
  wine "$@" >"$out" 2>&1
  status=$?
  if [ "$status" -eq 0 ] || [ -s "$out" ] || [ "$attempt" -eq 2 ]; then
    break
  fi
  echo "wine-run: wine ended with status $status before $1 printed anything; starting it again" >&2
done
cat "$out"
exit "$status"
