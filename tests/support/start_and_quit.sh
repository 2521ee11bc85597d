#!/usr/bin/env bash
# Starts a desktop program on the display in DISPLAY, waits for its graphics
# window, looks for the cone's brown (the palette's BROWN, #996633) in it,
# then ends the program with Ctrl+Q and expects status 0.
#
#   start_and_quit.sh <command> [argument...]
set -u
"$@" &
program=$!
end() {
  echo "start_and_quit: $*" >&2
  kill "$program" 2>/dev/null
  exit 1
}
window=""
for _ in $(seq 400); do
  window=$(xdotool search --onlyvisible --name '^VELKO Graphics$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  kill -0 "$program" 2>/dev/null || end "the program ended before showing its window"
  sleep 0.05
done
[ -n "$window" ] || end "no graphics window"
brown=0
for _ in $(seq 100); do
  if import -window "$window" -depth 8 txt:- 2>/dev/null | grep -qi '#996633'; then
    brown=1
    break
  fi
  sleep 0.1
done
[ "$brown" = 1 ] || end "the window shows no cone"
xdotool windowfocus --sync "$window" key ctrl+q 2>/dev/null
for _ in $(seq 200); do
  kill -0 "$program" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$program" 2>/dev/null && end "Ctrl+Q did not end the program"
wait "$program"
status=$?
[ "$status" -eq 0 ] || { echo "start_and_quit: the program ended with status $status" >&2; exit 1; }
