# Installs the Debian packages a set-up script needs. Sourced by run.sh and
# test.sh: ensure_packages pkg... installs what is missing (apt-get as root,
# sudo otherwise) or names the exact command and exits 1.

missing_packages() {
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || printf '%s ' "$pkg"
  done
}

ensure_packages() {
  local missing
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  echo "Installing missing packages: $missing"
  local runner=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
      runner="sudo"
    else
      echo "These Debian packages are missing and cannot be installed without root:" >&2
      echo "  apt-get install -y $missing" >&2
      echo "Run that line as root (or with sudo), then run this script again." >&2
      exit 1
    fi
  fi
  # shellcheck disable=SC2086
  if ! { $runner env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
         $runner env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing; }; then
    echo "Installing the packages failed. The line to run is:" >&2
    echo "  apt-get install -y $missing" >&2
    exit 1
  fi
}

# The fonts the program prefers, and the only ones the tests see (the build
# reads this line to make the tests' font configuration).
FONT_PACKAGES="fonts-liberation2 fonts-dejavu-core"
# What building needs, for the program and for the tests.
BUILD_PACKAGES="g++ cmake ninja-build pkg-config libfreetype-dev libfontconfig-dev $FONT_PACKAGES libpng-dev libgtk-3-dev libgtest-dev libbenchmark-dev"
# velko-check's sandbox for the programs it checks, and the tests of it.
CHECK_PACKAGES="bubblewrap"
# What the desktop end-to-end tests need beside that (setxkbmap, from
# x11-xkb-utils, sets the keyboard layouts they type on).
DESKTOP_TEST_PACKAGES="xvfb xauth xdotool x11-xkb-utils imagemagick libx11-dev weston"
# What ./bench.sh needs beside those: cairo as the reference, callgrind.
BENCH_PACKAGES="libcairo2-dev valgrind"
# The browser build: emscripten (its compiler needs node-acorn), and what
# scripts/web-freetype.sh needs to build FreeType for it from Debian's source
# package (dpkg-dev) and to cut the faces down to the runtime's characters
# (python3-fonttools).
WEB_BUILD_PACKAGES="emscripten node-acorn nodejs dpkg-dev python3-fonttools"
# What the tests of velko-check's course platforms and slices need: the
# autograder zip (zip, unzip) and the platforms' schemas (python3-jsonschema).
CHECK_TEST_PACKAGES="zip unzip python3-jsonschema"
# The browser the tests open the project's pages in (through puppeteer-core,
# from tests/browser/package-lock.json).
BROWSER_TEST_PACKAGES="chromium"
# What ./package.sh needs: the icon's PNG sizes and the Windows .ico
# (librsvg2-bin, imagemagick), the Debian tools CPack and the checks use, the
# validators.
PACKAGING_PACKAGES="librsvg2-bin imagemagick dpkg-dev fakeroot file lintian desktop-file-utils appstream"
# The cross compiler for the Windows program.
WINDOWS_CROSS_PACKAGES="g++-mingw-w64-x86-64"
# Wine (64-bit) to run the Windows program and its checks in the tests.
WINE_TEST_PACKAGES="wine wine64 libwine"
# The fuzz targets and the clang build: clang with libFuzzer and the sanitizer
# runtimes, and the symbolizer that names the lines in their reports.
FUZZ_PACKAGES="clang libclang-rt-14-dev llvm"
# The soak (soak.sh) beside the desktop test packages: the X server's count of
# each client's resources.
SOAK_PACKAGES="xrestop"
