#!/usr/bin/env bash
# A class check as a teacher runs it: 30 copies of the designer, each on one
# 1,000-event script, against the designer as the reference, with pictures
# after three chosen events and every report. Each round checks the class
# with the sandbox (the default) and then without it (--sandbox off), so that
# the two are measured under the same load. Prints "name value" lines: the
# wall time of the whole command (reports included), the checker's own
# processor time and the programs', and the wall time without the sandbox.
#   class_bench.sh BIN_FOLDER [RUNS]
set -euo pipefail
bin=$1
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The script: ticks, clicks all over the window and keys, in a fixed order.
awk 'BEGIN {
  seed = 7
  for (i = 0; i < 1000; i++) {
    seed = (seed * 1103515245 + 12345) % 2147483648
    r = seed % 100
    if (r < 50) print "VELKO_PERIODIC(1);"
    else if (r < 85) printf "VELKO_MOUSE(%d, %d);\n", (seed / 100) % 581 - 290, (seed / 58100) % 481 - 240
    else printf "VELKO_KBD(%d);\n", 97 + (seed / 100) % 4
  }
}' >"$work/class.scr"
for i in $(seq -w 1 30); do
  mkdir -p "$work/class/student$i"
  cp "$bin/velko-cone" "$work/class/student$i/"
done

# Checks the class into $work/report with the options given; prints its wall
# time in seconds.
check_class() {
  rm -rf "$work/report"
  local start end status=0
  start=$(date +%s.%N)
  "$bin/velko-check" --class "$@" -s "$work/class.scr" --after 5,10,500 -r "$bin/velko-cone" \
    -o "$work/report" "$work/class" >"$work/out.txt" || status=$?
  end=$(date +%s.%N)
  [ "$status" -eq 0 ] || { cat "$work/out.txt" >&2; echo "class_bench: not every copy matched" >&2; exit 1; }
  awk -v start="$start" -v end="$end" 'BEGIN { printf "%.2f", end - start }'
}

for _ in $(seq "$runs"); do
  wall=$(check_class --sandbox on)
  events=$(wc -l <"$work/report/runs/student01/class/events.txt")
  sed -n 's/.*wall, checker \([0-9.]*\) s of processor time, programs \([0-9.]*\) s.*/\1 \2/p' "$work/out.txt" |
    awk -v wall="$wall" -v events="$events" \
      '{ printf "class_wall_s %s\nclass_checker_cpu_s %s\nclass_programs_cpu_s %s\nclass_events %d\n", wall, $1, $2, events }'
  echo "class_unsandboxed_wall_s $(check_class --sandbox off)"
done
