#!/usr/bin/env bash
# Makes docs/screenshot.png (the designer with a few toppings, menu bar
# included) and docs/run-menu.png (the same with the Run menu open): real
# captures of the desktop program on a private X server.
#
#   scripts/desktop-screenshots.sh [path/to/velko-cone] [docs folder]
set -euo pipefail

program=$(realpath "${1:-build/linux/bin/velko-cone}")
docs=$(realpath "${2:-docs}")
work=$(mktemp -d)
source "$(dirname "$0")/../tests/support/private_display.sh"
trap 'kill "$app" "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT

start_private_display "$work"
export GDK_BACKEND=x11

cd "$work"
"$program" &
app=$!
wait_for_graphics_window 200
sleep 0.5

measure_client_top
click_pause=0.15

button 0 && button 0                      # three scoops
click -20 150 && button 5 && button 5     # a blue disc on the top scoop
button 2 && click 25 95 && button 4       # a red bar on the middle scoop
button 2 && click -30 70 && button 4 && button 4  # a brown triangle
button 2 && click 15 40 && button 5 && button 5 && button 5 && button 5  # magenta
button 2 && click 30 160 && button 5 && button 5 && button 5 && button 5 \
  && button 5 && button 5 && button 5 && button 5 && button 5 && button 5 && button 5  # orange
button 2 && click -35 120 && button 4     # another red bar
button 6 && click 15 40                   # grab the magenta disc
sleep 0.5
import -window "$window" "$docs/screenshot.png"

# Logging on, so that one item shows its check mark, then the menu open.
xdotool mousemove --window "$window" 450 $((top + 200))
xdotool key ctrl+l
sleep 0.3
xdotool mousemove --window "$window" 20 $((top / 2)) click 1
sleep 0.2
xdotool mousemove --window "$window" 80 $((top + 15 + 25 * 4))  # over Record Script
sleep 0.5
import -window root -crop "595x${height}+0+0" +repage "$docs/run-menu.png"
echo "wrote $docs/screenshot.png and $docs/run-menu.png"
