#!/usr/bin/env bash
# The Windows zip as a user unpacks it, under Wine (WINEPREFIX and the other
# Wine variables come from the test's environment):
#   - velko-cone.exe carries an icon, version information and a manifest
#     asking for per-monitor DPI awareness;
#   - it starts on a private X server, shows the cone, and Ctrl+Q ends it;
#   - the zip's example builds against the zip's library and header with
#     find_package(velko) alone, and runs on the headless backend.
#
#   zip_test.sh <zip> <source dir>
set -euo pipefail
zip=$(realpath "$1")
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "zip test: $*" >&2
  exit 1
}

(cd "$work" && unzip -q "$zip") || fail "cannot unpack $zip"
root=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -1)
exe=$root/bin/velko-cone.exe
for file in "$exe" "$root/include/velko/velko.h" "$root/lib/libvelko.a" \
  "$root/lib/cmake/velko/velkoConfig.cmake" "$root/share/doc/velko/runtime.md" \
  "$root/share/doc/velko/examples/bounce/bounce.cpp"; do
  [ -f "$file" ] || fail "the zip has no ${file#"$root"/}"
done

# Resource types: 3 icon, 14 icon group, 16 version information, 24 manifest.
types=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n '/Resource Directory section/,/^$/p' |
  sed -n 's/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' | tr '\n' ' ')
for type in 3 e 10 18; do
  [[ " $types " == *" $type "* ]] || fail "velko-cone.exe lacks resource type 0x$type (has: $types)"
done
grep -aq 'PerMonitorV2' "$exe" || fail "the manifest does not ask for per-monitor DPI awareness"
# The version information is UTF-16 text.
grep -aq "$(printf 'V\0E\0L\0K\0O\0 \0C\0o\0n\0e\0')" "$exe" || fail "no product name in the version information"

mkdir "$work/run"
(cd "$work/run" && xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  "$source/tests/support/start_and_quit.sh" wine "$exe") >"$work/start.txt" 2>&1 ||
  fail "velko-cone.exe from the zip: $(cat "$work/start.txt")"

cmake -S "$root/share/doc/velko/examples/bounce" -B "$work/bounce" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64.cmake" \
  -DCMAKE_PREFIX_PATH="$root" -DCMAKE_FIND_ROOT_PATH="$root" >"$work/configure.txt" 2>&1 ||
  { cat "$work/configure.txt" >&2; fail "the zip's example does not configure"; }
cmake --build "$work/bounce" >/dev/null || fail "the zip's example does not build"
status=0
(cd "$work/run" && VELKO_BACKEND=headless timeout 120 wine "$work/bounce/bounce.exe") \
  >"$work/bounce.txt" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "bounce.exe ended with status $status: $(cat "$work/bounce.txt")"
echo "zip test: resources present, velko-cone.exe started and quit, bounce.exe built from the zip and ran"
