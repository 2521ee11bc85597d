#!/bin/sh
# The desktop program on a Wayland compositor that has no keyboard (weston's
# headless backend, as a kiosk or a test machine has it): it starts quietly,
# with nothing on standard error, and runs until it is stopped.
#   no_keyboard_test.sh <velko-cone>
set -u
program=$1
dir=$(mktemp -d)
trap 'kill "$compositor" 2>/dev/null; wait "$compositor" 2>/dev/null; rm -rf "$dir"' EXIT
mkdir -m 700 "$dir/runtime"
export XDG_RUNTIME_DIR="$dir/runtime"
weston --backend=headless-backend.so --socket=velko-test --idle-time=0 \
  >"$dir/weston.log" 2>&1 &
compositor=$!
for _ in $(seq 50); do
  [ -S "$XDG_RUNTIME_DIR/velko-test" ] && break
  sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/velko-test" ] || { echo "weston did not start"; cat "$dir/weston.log"; exit 1; }

cd "$dir" || exit 1
env -u DISPLAY WAYLAND_DISPLAY=velko-test GDK_BACKEND=wayland VELKO_BACKEND=gtk \
  timeout 3 "$program" >"$dir/out.txt" 2>"$dir/err.txt"
status=$?
if [ "$status" -ne 124 ]; then
  echo "the program ended by itself with status $status"
  cat "$dir/err.txt"
  exit 1
fi
if [ -s "$dir/err.txt" ]; then
  echo "the program said on standard error:"
  cat "$dir/err.txt"
  exit 1
fi
echo "started quietly and ran until stopped"
