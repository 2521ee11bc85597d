# Sourced by the scripts that drive the designer on a private X server.
# Runtime point (x, y) is client pixel (297 + x, 248 - y) of the 595 x 496
# client area (tests/support/client_origin.h); the panel's buttons are the
# rows of designer/panel_layout.h.

# Starts Xvfb on a free display, its number written to "$1/display", and
# exports DISPLAY; xvfb holds its process id.
start_private_display() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$1/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 200); do [ -s "$1/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -1 "$1/display")"
}

# Sets window to the visible "VELKO Graphics" window, trying $1 times 50 ms
# apart; empty when none appears.
wait_for_graphics_window() {
  window=""
  for _ in $(seq "$1"); do
    window=$(xdotool search --onlyvisible --name '^VELKO Graphics$' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.05
  done
}

# Sets height to the window's height and top to its first client row: the
# client area fills the window below the menu bar.
measure_client_top() {
  height=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
  top=$((height - 496))
}

# A click at runtime point ($1, $2) of the window, then a pause of
# click_pause seconds (0.2 unless set).
click() {
  xdotool mousemove --window "$window" $((297 + $1)) $((top + 248 - $2)) click 1
  sleep "${click_pause:-0.2}"
}
# A click on panel button $1, 0 at the top.
button() { click -240 $((232 - 25 * $1)); }
