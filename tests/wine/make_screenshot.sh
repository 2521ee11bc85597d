#!/usr/bin/env bash
# Makes docs/windows.png: a real capture of the Windows program under Wine on
# a private X server (the designer with a few toppings; the menu bar and the
# client area, which is what Wine shows of a window without a window manager).
#
#   tests/wine/make_screenshot.sh [path/to/velko-cone.exe] [docs folder]
#
# Uses a Wine prefix of its own in a temporary folder (its first start takes a
# few seconds).
set -euo pipefail

program=$(realpath "${1:-build/windows/bin/velko-cone.exe}")
docs=$(realpath "${2:-docs}")
scripts=$(realpath "$(dirname "$0")/../../scripts")
work=$(mktemp -d)
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$scripts/wine-prefix.sh" "$work/prefix" >/dev/null 2>&1
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"

mkdir "$work/run" && cd "$work/run"
wine "$program" &
window=""
for _ in $(seq 400); do
  window=$(xdotool search --onlyvisible --name '^VELKO Graphics$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.05
done
[ -n "$window" ] || { echo "no window" >&2; exit 1; }

# The window holds the menu bar above the client area, which fills the rest:
# the client area is 496 rows high with the usual frame metrics, and the
# panel's outline corner (runtime point (-295, 245)) must be black there.
height=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
top=$((height - 496))
corner=""
for _ in $(seq 100); do
  corner=$(import -window "$window" -crop "1x1+2+$((top + 3))" -depth 8 txt:- | tail -1)
  [[ "$corner" == *"#000000"* ]] && break
  sleep 0.2
done
[[ "$corner" == *"#000000"* ]] || { echo "the client area is not where expected: $corner" >&2; exit 1; }
click() {
  xdotool mousemove --window "$window" $((297 + $1)) $((top + 248 - $2)) click 1
  sleep 0.2
}
button() { click -240 $((232 - 25 * $1)); }  # the panel's buttons, 0 at the top

button 0 && button 0                              # three scoops
click -20 150 && button 5 && button 5             # a blue disc on the top scoop
button 2 && click 25 95 && button 4               # a red bar on the middle scoop
button 2 && click -30 70 && button 4 && button 4  # a brown triangle
button 2 && click 15 40 && button 5 && button 5 && button 5 && button 5  # magenta
button 6 && click 15 40                           # grab the magenta disc
sleep 0.5
import -window "$window" "$docs/windows.png"
xdotool windowfocus --sync "$window" key ctrl+q 2>/dev/null || true
echo "wrote $docs/windows.png"
