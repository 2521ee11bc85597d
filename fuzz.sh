#!/usr/bin/env bash
# Runs the fuzz targets for a long time, one after another, and keeps what
# they find in fuzz-findings/<target>/ (not in the repository):
#   corpus/    the inputs that reached new code (the seeds stay in fuzz/corpus/)
#   crashes/   inputs that broke a property, crashed or hung
#   log.txt    the fuzzer's output
#
#   ./fuzz.sh [seconds-per-target] [target...]     (default: 600; script draw designer)
#
# Exits non-zero when a target found something.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $FUZZ_PACKAGES

seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(script draw designer)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
for target in "${targets[@]}"; do
  out="fuzz-findings/$target"
  mkdir -p "$out/corpus" "$out/crashes"
  echo "== fuzz_$target for $seconds s"
  if ! "build/fuzz/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$out/crashes/" \
      "$out/corpus" "fuzz/corpus/$target" >"$out/log.txt" 2>&1; then
    status=1
    echo "fuzz_$target found something: see $out/log.txt and $out/crashes/"
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' \
    "$out/log.txt" || true
done
exit $status
