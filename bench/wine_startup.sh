#!/usr/bin/env bash
# The Windows program's start-up under Wine on a private X server without a
# window manager, and where its time goes. Prints "name value" lines:
#   wine_window_ms             start to the graphics window on the screen
#   wine_scene_ms              the window to the first scene (the cone's brown)
#   wine_scene_unmanaged_ms    the same with Wine's windows unmanaged
#   wine_minimal_hide_ms       a minimal GDI program (bench/wine_show_hide.cpp):
#                              hiding a window it has just shown
#   wine_minimal_hide_unmanaged_ms   the same with Wine's windows unmanaged
#   wine_minimal_paint_ms      its font, text and fill
# Each figure is the median of three starts.
#
#   wine_startup.sh <velko-cone.exe> <wine_show_hide.exe>
set -euo pipefail
program=$(realpath "$1")
minimal=$(realpath "$2")
scripts=$(realpath "$(dirname "$0")/../scripts")
work=$(mktemp -d)
cleanup() {
  for prefix in "$work/managed" "$work/unmanaged"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="

"$scripts/wine-prefix.sh" "$work/managed" >/dev/null 2>&1
cp -a "$work/managed" "$work/unmanaged"
# Without a window manager, nothing answers Wine's wait for a hidden window
# to be withdrawn; unmanaged windows are not waited for.
WINEPREFIX=$work/unmanaged wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ \
  /d N /f >/dev/null 2>&1
WINEPREFIX=$work/unmanaged wineserver -w

now() { date +%s%N; }
median() { sort -n | sed -n 2p; }

# One start of the designer on its own X server: "window_ms scene_ms".
start_once() {
  export WINEPREFIX=$1
  cat >"$work/start.sh" <<'SCRIPT'
t0=$(date +%s%N)
wine "$PROGRAM" >/dev/null 2>&1 &
w=""
for _ in $(seq 3000); do
  w=$(xdotool search --onlyvisible --name '^VELKO Graphics$' 2>/dev/null | head -1 || true)
  [ -n "$w" ] && break
  sleep 0.005
done
t1=$(date +%s%N)
h=$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
# Runtime point (0, -100), in the cone, below the menu bar.
for _ in $(seq 2000); do
  import -window "$w" -crop "1x1+297+$((h - 496 + 348))" -depth 8 txt:- 2>/dev/null |
    grep -qi '#996633' && break
  sleep 0.005
done
t2=$(date +%s%N)
echo "$(((t1 - t0) / 1000000)) $(((t2 - t1) / 1000000))"
xdotool windowfocus --sync "$w" key ctrl+q 2>/dev/null || true
sleep 0.3
wineserver -k 2>/dev/null || true
SCRIPT
  (cd "$work" && PROGRAM=$program xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    bash "$work/start.sh")
}

minimal_once() {
  (cd "$work" && WINEPREFIX=$1 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    wine "$minimal" 2>/dev/null)
  WINEPREFIX=$1 wineserver -k 2>/dev/null || true
}

for kind in managed unmanaged; do
  : >"$work/$kind.starts"
  : >"$work/$kind.minimal"
  for _ in 1 2 3; do
    start_once "$work/$kind" >>"$work/$kind.starts"
    minimal_once "$work/$kind" >>"$work/$kind.minimal"
  done
done
echo "wine_window_ms $(cut -d' ' -f1 "$work/managed.starts" | median)"
echo "wine_scene_ms $(cut -d' ' -f2 "$work/managed.starts" | median)"
echo "wine_scene_unmanaged_ms $(cut -d' ' -f2 "$work/unmanaged.starts" | median)"
echo "wine_minimal_hide_ms $(sed -n 's/^hide_ms //p' "$work/managed.minimal" | median)"
echo "wine_minimal_hide_unmanaged_ms $(sed -n 's/^hide_ms //p' "$work/unmanaged.minimal" | median)"
echo "wine_minimal_paint_ms $(sed -n 's/^paint_ms //p' "$work/managed.minimal" | median)"
