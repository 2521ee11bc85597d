#!/usr/bin/env bash
# Measures the desktop program on a private X server: time from start to the
# first frame of the designer's scene, resident memory of the idle designer,
# and the processor time it uses in 10 s of idling with animation on.
#
#   tests/desktop/measure.sh [path/to/velko-cone]
set -euo pipefail

program=$(realpath "${1:-build/linux/bin/velko-cone}")
work=$(mktemp -d)
source "$(dirname "$0")/../support/private_display.sh"
trap 'kill "$app" "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT

start_private_display "$work"
export GDK_BACKEND=x11

# The cone's brown (the runtime point (0, -100)) shows once the first scene is
# on the screen; the window sits at the screen's top-left corner.
cd "$work"
start=$(date +%s%N)
"$program" &
app=$!
first_frame=""
for _ in $(seq 2000); do
  window=$(xdotool search --onlyvisible --name '^VELKO Graphics$' 2>/dev/null | head -1 || true)
  if [ -n "$window" ]; then
    height=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
    y=$((height - 496 + 248 + 100))
    pixel=$(import -window root -crop "1x1+297+$y" -depth 8 txt:- 2>/dev/null | tail -1)
    if [[ "$pixel" == *"#996633"* ]]; then
      first_frame=$(( ($(date +%s%N) - start) / 1000000 ))
      break
    fi
  fi
done
echo "start to first frame: ${first_frame:-not seen} ms (polled through import, so an upper bound)"

sleep 3
echo "resident memory, idle: $(awk '/VmRSS/ {print $2, $3}' "/proc/$app/status")"

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
before=$(cpu "$app")
xvfb_before=$(cpu "$xvfb")
sleep 10
after=$(cpu "$app")
xvfb_after=$(cpu "$xvfb")
awk -v d=$((after - before)) -v t="$ticks" \
  'BEGIN { printf "processor time in 10 s idle with animation on: %.2f s (%.2f %% of one core)\n", d / t, d / t * 10 }'
awk -v d=$((xvfb_after - xvfb_before)) -v t="$ticks" \
  'BEGIN { printf "  (the X server meanwhile: %.2f s)\n", d / t }'
