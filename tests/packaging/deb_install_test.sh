#!/usr/bin/env bash
# The Debian packages as a user installs them: apt-get install ./*.deb, then
#   - the desktop entry's command starts the designer under Xvfb, its window
#     shows the cone, and Ctrl+Q ends it with status 0;
#   - the installed example builds with find_package(velko) alone, and every
#     program of the installed guide with pkg-config velko alone;
#   - the installed velko-check checks them, velko-cone-picture draws;
# then removes the packages (and anything apt-get brought with them) and
# checks that nothing of them is left. Needs root (or sudo without a
# password); exits 77 (skipped) without, or when a package of ours is
# already installed, which the test must not take away.
#
#   deb_install_test.sh <package dir> <source dir>
set -euo pipefail
packages=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
names="libvelko1 libvelko-dev velko-tools velko-cone"
work=$(mktemp -d)
chmod 755 "$work"  # apt's sandbox user reads the packages from it

fail() {
  echo "package install test: $*" >&2
  exit 1
}
# shellcheck source=../support/install_checks.sh
. "$source/tests/support/install_checks.sh"

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  as_root=(sudo -n)
else
  echo "package install test: needs root or sudo without a password; skipped"
  exit 77
fi
for name in $names; do
  if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed'; then
    echo "package install test: $name is installed already; skipped"
    exit 77
  fi
done
debs=()
for name in $names; do
  deb=$(find "$packages" -maxdepth 1 -name "${name}_*.deb" | sort | tail -n 1)
  [ -n "$deb" ] || fail "no ${name}_*.deb in $packages (run ./package.sh first)"
  cp "$deb" "$work/"
  debs+=("$work/$(basename "$deb")")
done

installed_packages() { dpkg-query -W -f='${Package}\n' | sort; }
installed_packages >"$work/before.txt"
remove_all() {
  local status=$?
  set +e
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq $names >/dev/null 2>&1
  installed_packages >"$work/after.txt"
  local brought
  brought=$(comm -13 "$work/before.txt" "$work/after.txt")
  if [ -n "$brought" ]; then
    # shellcheck disable=SC2086
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq $brought >/dev/null 2>&1
  fi
  rm -rf "$work"
  exit "$status"
}
trap remove_all EXIT

"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "${debs[@]}" >"$work/apt.txt" 2>&1 || { cat "$work/apt.txt" >&2; fail "apt-get install failed"; }

# The desktop entry, as a menu starts it.
entry=/usr/share/applications/org.velko.ConeDesigner.desktop
[ -f "$entry" ] || fail "no desktop entry $entry"
command=$(sed -n 's/^Exec=//p' "$entry")
[ -n "$command" ] || fail "the desktop entry has no Exec line"
for size in 16x16 48x48 256x256 scalable; do
  ls /usr/share/icons/hicolor/$size/apps/velko-cone.* >/dev/null 2>&1 || fail "no $size icon"
done
[ -f /usr/share/metainfo/org.velko.ConeDesigner.metainfo.xml ] || fail "no metainfo"
# shellcheck disable=SC2086
out=$(cd "$work" && xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  "$source/tests/support/start_and_quit.sh" $command 2>&1) ||
  fail "the desktop entry's command '$command': $out"

# The library as a CMake package and through pkg-config, with velko-check.
docs=/usr/share/doc/libvelko-dev
cmake -S "$docs/examples/bounce" -B "$work/bounce" -G Ninja >/dev/null ||
  fail "the installed example does not configure with find_package(velko)"
cmake --build "$work/bounce" >/dev/null || fail "the installed example does not build"
expect_check velko-check bounce "$work/bounce/bounce"
grep -q "click at (10, 20): colour 3" "$work/check-bounce/log.txt" ||
  fail "bounce logged: $(cat "$work/check-bounce/log.txt")"
programs=$(check_guide velko-check "$docs/runtime.md")
(cd "$work" && velko-cone-picture cone.png >/dev/null) && [ -s "$work/cone.png" ] ||
  fail "velko-cone-picture drew nothing"

# Removed, nothing of them is left.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq $names >/dev/null 2>&1 ||
  fail "apt-get purge failed"
for name in $names; do
  dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'installed' && fail "$name is still installed"
done
for path in /usr/bin/velko-cone /usr/bin/velko-check /usr/include/velko "$docs" "$entry"; do
  [ ! -e "$path" ] || fail "$path is left after removal"
done
! pkg-config --exists velko || fail "pkg-config still finds velko after removal"
echo "package install test: installed, desktop entry started, example and $programs programs of the guide built and checked, removed"
