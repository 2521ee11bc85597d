#!/usr/bin/env bash
# Soak: the desktop program on a private X server for a long time, fed random
# clicks, keys, Ctrl shortcuts and Run menu commands, with recording and
# playback switched on and off now and then. Prints, after the first minute
# and at the end, what the program holds:
#   - resident memory (VmRSS) and its peak (VmHWM);
#   - open file descriptors (the script file aside) and threads;
#   - its resources in the X server (xrestop: windows, pixmaps and their
#     bytes, graphics contexts, fonts, pictures, glyph sets, colormaps,
#     cursors, others, total bytes) -- what GDI objects are on Windows.
# Fails when the program dies, when resident memory at the end is more than
# 5 % above that after the first minute, or when the X resources, descriptors
# or threads grew. Not part of test.sh.
#
#   ./soak.sh [seconds]     (default 600; at least 90, the first minute is the baseline)
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh
# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES $DESKTOP_TEST_PACKAGES $SOAK_PACKAGES

duration=${1:-600}
if [ "$duration" -lt 90 ]; then
  echo "soak.sh: the run must last at least 90 s (the first minute is the baseline)" >&2
  exit 2
fi
baseline_at=60

cmake --preset linux >/dev/null
cmake --build --preset linux --target velko-cone
program=$(realpath build/linux/bin/velko-cone)

work=$(mktemp -d)
app=""
xvfb=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"
export GDK_BACKEND=x11

# The program works in its own folder, where it records and plays VELKO.SCR.
mkdir "$work/run"
(cd "$work/run" && exec "$program") &
app=$!
window=""
for _ in $(seq 200); do
  window=$(xdotool search --onlyvisible --name '^VELKO Graphics$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.05
done
if [ -z "$window" ]; then
  echo "soak.sh: the program's window did not appear" >&2
  exit 1
fi
sleep 0.5

# The client area fills the window below the menu bar; runtime point (x, y)
# is window pixel (297 + x, top + 248 - y).
height=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
top=$((height - 496))

click_at() { xdotool mousemove --window "$window" $((297 + $1)) $((top + 248 - $2)) click 1; }
# A random number in [lo, hi].
random_in() { echo $(($1 + RANDOM % ($2 - $1 + 1))); }

# One random action. Keys go to the window under the pointer (there is no
# window manager), which every action leaves over the graphics window. Quit
# is never chosen.
act() {
  local roll=$((RANDOM % 100))
  if [ $roll -lt 45 ]; then
    click_at "$(random_in -297 297)" "$(random_in -248 247)"
  elif [ $roll -lt 60 ]; then
    click_at -240 $((232 - 25 * $(random_in 0 6)))  # a button
  elif [ $roll -lt 70 ]; then
    click_at "$(random_in -60 60)" "$(random_in 25 196)"  # on the scoops
  elif [ $roll -lt 80 ]; then
    xdotool key "$(printf '%s' abcxyz0189 | cut -c"$(random_in 1 10)")"
  elif [ $roll -lt 92 ]; then
    local keys=(a h f l a h f l r p o)  # recording and playback now and then
    xdotool key "ctrl+${keys[$((RANDOM % ${#keys[@]}))]}"
  else
    # The Run menu: opened from the menu bar, then one of its first commands
    # by the keyboard, or closed again.
    xdotool mousemove --window "$window" 20 $((top / 2)) click 1
    sleep 0.05
    local downs
    downs=$(random_in 0 5)
    if [ "$downs" -eq 0 ]; then
      xdotool key Escape
    else
      for _ in $(seq "$downs"); do xdotool key Down; done
      xdotool key Return
    fi
  fi
}

figures() {
  local pid=$1
  local rss hwm fds threads xres
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
  threads=$(awk '/^Threads/ {print $2}' "/proc/$pid/status")
  # The script file is open while recording or after playback, by design.
  fds=$(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 -printf '%l\n' | grep -cv '/VELKO\.SCR$' || true)
  # xrestop's batch output: one block per client, headed "n - name ( PID:p ):",
  # then "name : value" lines; take our block as name=value pairs.
  xres=$(xrestop -b -m 1 2>/dev/null | awk -v pid="$pid" '
    /^[0-9]+ - / { ours = ($0 ~ ("PID: *" pid " *\\)")); next }
    ours && /:/ {
      split($0, kv, ":"); key = kv[1]; val = kv[2]
      gsub(/^[ \t]+|[ \t]+$/, "", key); gsub(/ /, "_", key); gsub(/[ \t~]/, "", val)
      if (key != "res_base" && key != "res_mask") printf "%s=%s ", key, val
    }')
  echo "rss_kb=$rss hwm_kb=$hwm fds=$fds threads=$threads $xres"
}

value() { tr ' ' '\n' <<<"$1" | sed -n "s/^$2=//p"; }

echo "== soak for $duration s (baseline after $baseline_at s)"
start=$(date +%s)
actions=0
baseline=""
while :; do
  now=$(date +%s)
  elapsed=$((now - start))
  if ! kill -0 "$app" 2>/dev/null; then
    wait "$app" && code=0 || code=$?
    echo "FAIL: the program ended after $elapsed s and $actions actions (exit status $code)"
    app=""
    exit 1
  fi
  if [ -z "$baseline" ] && [ "$elapsed" -ge "$baseline_at" ]; then
    baseline=$(figures "$app")
    echo "after $elapsed s ($actions actions): $baseline"
  fi
  [ "$elapsed" -ge "$duration" ] && break
  act || true
  actions=$((actions + 1))
  sleep 0.01
done

# Let playback and the last commands settle, then measure once more.
xdotool mousemove --window "$window" 450 $((top + 200)) key ctrl+h
sleep 2
final=$(figures "$app")
echo "at the end, $duration s ($actions actions): $final"
if [ -f "$work/run/VELKO.SCR" ]; then
  echo "the script file holds $(wc -l <"$work/run/VELKO.SCR") lines (recording and playback were used)"
fi

status=0
base_rss=$(value "$baseline" rss_kb)
end_rss=$(value "$final" rss_kb)
growth=$(awk -v a="$base_rss" -v b="$end_rss" 'BEGIN { printf "%.2f", (b - a) * 100 / a }')
echo "resident memory: $base_rss kB -> $end_rss kB ($growth %)"
if awk -v g="$growth" 'BEGIN { exit !(g > 5) }'; then
  echo "FAIL: resident memory grew by more than 5 %"
  status=1
fi
for name in fds threads windows pixmaps GCs fonts pictures glyphsets colormaps cursors unknowns; do
  a=$(value "$baseline" "$name")
  b=$(value "$final" "$name")
  [ -z "$a" ] && [ -z "$b" ] && continue
  if [ -z "$a" ] || [ -z "$b" ] || [ "$b" -gt "$a" ]; then
    echo "FAIL: $name grew: ${a:-?} -> ${b:-?}"
    status=1
  fi
done

# A clean end: Ctrl+Q, and the program exits by itself with status 0.
xdotool mousemove --window "$window" 450 $((top + 200)) key ctrl+q
for _ in $(seq 200); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$app" 2>/dev/null; then
  echo "FAIL: the program did not quit within 10 s of Ctrl+Q"
  status=1
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
elif wait "$app"; then
  echo "the program quit cleanly"
else
  echo "FAIL: the program did not quit cleanly"
  status=1
fi
app=""
[ $status -eq 0 ] && echo "soak passed"
exit $status
