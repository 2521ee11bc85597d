#!/usr/bin/env bash
# A class of 300 small programs as a course has it: each student a copy of
# the bounce example (every tenth a copy of the designer instead, so that
# the report has differences to show), on two scripts of 500 events, with
# the reports, three times. Then the same class in four slices, and their
# merge. Prints "name value" lines: the wall time of the whole check (the
# median of the three, reports included, with all three),
# the sizes of index.html and of the report, the merge's wall time, and
# (with node and Chromium) the report's first paint.
#   class300_bench.sh BIN_FOLDER
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for seed in 11 23; do
  awk -v seed="$seed" 'BEGIN {
    for (i = 0; i < 500; i++) {
      seed = (seed * 1103515245 + 12345) % 2147483648
      r = seed % 100
      if (r < 60) print "VELKO_PERIODIC(1);"
      else if (r < 90) printf "VELKO_MOUSE(%d, %d);\n", (seed / 100) % 581 - 290, (seed / 58100) % 481 - 240
      else printf "VELKO_KBD(%d);\n", 97 + (seed / 100) % 4
    }
  }' >"$work/script-$seed.scr"
done
for i in $(seq -w 1 300); do
  mkdir -p "$work/class/student$i"
  if [ $((10#$i % 10)) -eq 0 ]; then
    cp "$bin/velko-cone" "$work/class/student$i/"
  else
    cp "$bin/bounce" "$work/class/student$i/"
  fi
done
options=(-s "$work/script-11.scr" -s "$work/script-23.scr" --after 100,250)

# The reference once, kept for the slices.
"$bin/velko-check" --class "${options[@]}" -r "$bin/bounce" -o "$work/reference-run" "$bin/bounce" >/dev/null

# Three times, on a machine whose speed wanders: the median run's figures.
for k in 1 2 3; do
  rm -rf "$work/report"
  start=$(date +%s.%N)
  status=0
  "$bin/velko-check" --class "${options[@]}" -r "$bin/bounce" -o "$work/report" "$work/class" \
    >"$work/out-$k.txt" || status=$?
  end=$(date +%s.%N)
  [ "$status" -le 1 ] || { cat "$work/out-$k.txt" >&2; echo "class300_bench: the check failed" >&2; exit 1; }
  awk -v start="$start" -v end="$end" -v k="$k" 'BEGIN { printf "%.1f %d\n", end - start, k }'
done | sort -n >"$work/walls.txt"
read -r wall median <<<"$(sed -n 2p "$work/walls.txt")"
echo "class300_wall_s $wall"
echo "class300_wall_all_s $(cut -d' ' -f1 "$work/walls.txt" | paste -sd,)"
sed -n 's/.*wall, checker \([0-9.]*\) s of processor time, programs \([0-9.]*\) s.*/class300_checker_cpu_s \1\nclass300_programs_cpu_s \2/p' "$work/out-$median.txt"
echo "class300_index_bytes $(stat -c %s "$work/report/index.html")"
echo "class300_report_bytes $(du -sb --exclude=runs --exclude=reference "$work/report" | cut -f1)"
echo "class300_pictures $(find "$work/report/pictures" -type f | wc -l)"

for k in 1 2 3 4; do
  "$bin/velko-check" --class "${options[@]}" --shard "$k/4" -R "$work/reference-run/reference" \
    -o "$work/slice-$k" "$work/class" >/dev/null || [ $? -le 1 ]
done
start=$(date +%s.%N)
"$bin/velko-check" merge -o "$work/merged" "$work"/slice-{1,2,3,4} >/dev/null || [ $? -le 1 ]
end=$(date +%s.%N)
awk -v start="$start" -v end="$end" 'BEGIN { printf "class300_merge_s %.2f\n", end - start }'
cmp -s "$work/report/grades.csv" "$work/merged/grades.csv" && echo "class300_merge_same 1" || echo "class300_merge_same 0"

if command -v node >/dev/null 2>&1 && [ -d "$here/../tests/browser/node_modules/puppeteer-core" ]; then
  node "$here/class_report_paint.mjs" "$work/report"
fi
