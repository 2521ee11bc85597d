#!/usr/bin/env bash
# Makes docs/windows.png: a real capture of the Windows program under Wine on
# a private X server (the designer with a few toppings; the menu bar and the
# client area, which is what Wine shows of a window without a window manager).
#
#   scripts/wine-screenshot.sh [path/to/velko-cone.exe] [docs folder]
#
# Uses a Wine prefix of its own in a temporary folder (its first start takes a
# few seconds).
set -euo pipefail

program=$(realpath "${1:-build/windows/bin/velko-cone.exe}")
docs=$(realpath "${2:-docs}")
scripts=$(realpath "$(dirname "$0")")
work=$(mktemp -d)
source "$(dirname "$0")/../tests/support/private_display.sh"
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$scripts/wine-prefix.sh" "$work/prefix" >/dev/null 2>&1
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="

start_private_display "$work"

mkdir "$work/run" && cd "$work/run"
wine "$program" &
wait_for_graphics_window 400
[ -n "$window" ] || { echo "no window" >&2; exit 1; }

# The window holds the menu bar above the client area, which fills the rest:
# the client area is 496 rows high with the usual frame metrics, and the
# panel's outline corner (runtime point (-295, 245)) must be black there.
measure_client_top
corner=""
for _ in $(seq 100); do
  corner=$(import -window "$window" -crop "1x1+2+$((top + 3))" -depth 8 txt:- | tail -1)
  [[ "$corner" == *"#000000"* ]] && break
  sleep 0.2
done
[[ "$corner" == *"#000000"* ]] || { echo "the client area is not where expected: $corner" >&2; exit 1; }

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
