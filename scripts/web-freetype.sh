#!/usr/bin/env bash
# Builds FreeType for the web build (WebAssembly, with Debian's emscripten)
# from Debian's source package of the FreeType this machine has installed,
# with Debian's patches, so that glyphs in the browser come out as they do
# on Linux.
#
#   scripts/web-freetype.sh [prefix]
#
# The prefix (default build/web-deps/freetype, relative to the repository)
# gets lib/libfreetype.a and include/freetype2/. Nothing is done when it has
# both already.
#
# The library holds the modules a TrueType face needs: the TrueType driver
# with the SFNT tables and glyph names, the grey-level renderer and the
# auto-hinter. PNG, zlib, bzip2, Brotli and HarfBuzz are left out; the
# TrueType interpreter keeps Debian's settings (those of ftoption.h in the
# source package, patches applied), and conic arcs are flattened as on a
# 64-bit Linux machine (see below), so that glyphs come out the same.
#
# Getting the source takes a deb-src entry for Debian's archive. When apt
# has none for the release, one is written beside the machine's deb entries
# (the same URIs, suites, components and keys) and apt's lists are updated:
# that, and installing missing packages, needs root or sudo; otherwise the
# commands to run are printed and the script exits 1.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-build/web-deps/freetype}
case $prefix in
  /*) ;;
  *) prefix=$root/$prefix ;;
esac

if [ -f "$prefix/lib/libfreetype.a" ] && [ -d "$prefix/include" ]; then
  echo "FreeType for the web build is in $prefix"
  exit 0
fi

# shellcheck source=scripts/packages.sh
. "$root/scripts/packages.sh"
ensure_packages dpkg-dev emscripten node-acorn cmake ninja-build

# emcc runs JavaScript tools of its own that need Debian's node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# Root for apt's files: apt-get itself as root, sudo where it asks for no
# password, nothing otherwise.
runner=none
if [ "$(id -u)" -eq 0 ]; then
  runner=""
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  runner=sudo
fi

# The FreeType the native build links: its source package, at the same
# version when it is installed.
source_package=freetype
source_version=$(dpkg-query -W -f='${source:Version}' libfreetype6 2>/dev/null || true)
wanted=$source_package${source_version:+=$source_version}

# The versions of the source package apt offers, one a line.
source_versions() {
  apt-cache showsrc "$source_package" 2>/dev/null | sed -n 's/^Version: //p' | sort -u
}

# Whether apt offers the source package at the wanted version.
source_offered() {
  local versions
  versions=$(source_versions)
  [ -n "$versions" ] || return 1
  [ -z "$source_version" ] || printf '%s\n' "$versions" | grep -qxF -- "$source_version"
}

# shellcheck disable=SC1091
codename=$(. /etc/os-release 2>/dev/null && printf '%s' "${VERSION_CODENAME:-}")
src_sources=/etc/apt/sources.list.d/velko-deb-src.sources
src_list=/etc/apt/sources.list.d/velko-deb-src.list

# A suite of this release's archive: the codename itself or one of its
# companions (bookworm-updates, bookworm-security). Without a codename every
# suite counts.
release_suite_awk='
  function release_suite(s) {
    return codename == "" || s == codename || index(s, codename "-") == 1
  }'

# The deb822 stanzas (.sources files) with a deb entry for this release,
# with deb-src instead; only the fields a source entry needs.
deb822_entries() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    if [ ! -f "$file" ] || [ "$file" = "$src_sources" ]; then
      continue
    fi
    awk -v codename="$codename" "$release_suite_awk"'
      function flush() {
        if (is_deb && enabled && release && out != "")
          printf "Types: deb-src\n%s\n\n", out
        out = ""; is_deb = 0; enabled = 1; release = 0; keep = 0
      }
      BEGIN { flush() }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      /^[ \t]/ { if (keep) out = out "\n" $0; next }
      {
        name = tolower($0); sub(/[ \t]*:.*/, "", name)
        value = $0; sub(/^[^:]*:[ \t]*/, "", value)
        keep = 0
        n = split(value, words, /[ \t]+/)
        if (name == "types") {
          for (i = 1; i <= n; ++i) if (words[i] == "deb") is_deb = 1
        } else if (name == "enabled") {
          enabled = tolower(value) !~ /^(no|false)$/
        } else if (name == "suites") {
          for (i = 1; i <= n; ++i) if (release_suite(words[i])) release = 1
        }
        if (name == "uris" || name == "suites" || name == "components" || name == "signed-by" ||
            name == "architectures" || name == "trusted") {
          out = out (out == "" ? "" : "\n") $0
          keep = 1
        }
      }
      END { flush() }' "$file"
  done
}

# The one-line entries (sources.list and .list files) likewise.
one_line_entries() {
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    if [ ! -f "$file" ] || [ "$file" = "$src_list" ]; then
      continue
    fi
    awk -v codename="$codename" "$release_suite_awk"'
      $1 == "deb" {
        line = $0
        sub(/^[ \t]*deb[ \t]+/, "", line)
        options = ""
        if (line ~ /^\[/) {
          options = line; sub(/\].*/, "]", options)
          sub(/^\[[^]]*\][ \t]*/, "", line)
        }
        split(line, words, /[ \t]+/)
        if (release_suite(words[2]))
          print "deb-src " (options == "" ? "" : options " ") line
      }' "$file"
  done
}

if [ -z "$(source_versions)" ]; then
  stanzas=$(deb822_entries)
  lines=$(one_line_entries)
  if [ -z "$stanzas" ] && [ -z "$lines" ]; then
    echo "No deb entry of Debian's archive for '${codename:-this release}' in apt's sources:" >&2
    echo "add a deb-src entry for the archive, run apt-get update, then run this again." >&2
    exit 1
  fi
  if [ "$runner" = none ]; then
    echo "FreeType's source needs a deb-src entry in apt's sources. As root, run:" >&2
    if [ -n "$stanzas" ]; then
      printf "  cat > %s <<'EOF'\n%s\nEOF\n" "$src_sources" "$stanzas" >&2
    fi
    if [ -n "$lines" ]; then
      printf "  cat > %s <<'EOF'\n%s\nEOF\n" "$src_list" "$lines" >&2
    fi
    echo "  apt-get update" >&2
    echo "then run this script again." >&2
    exit 1
  fi
  echo "Adding deb-src entries for Debian's archive"
  if [ -n "$stanzas" ]; then
    printf '%s\n' "$stanzas" | $runner tee "$src_sources" >/dev/null
  fi
  if [ -n "$lines" ]; then
    printf '%s\n' "$lines" | $runner tee "$src_list" >/dev/null
  fi
  $runner env DEBIAN_FRONTEND=noninteractive apt-get update -qq
elif ! source_offered && [ "$runner" != none ]; then
  # Sources are listed, but apt's lists may be older than the installed
  # package.
  $runner env DEBIAN_FRONTEND=noninteractive apt-get update -qq
fi
if [ -z "$(source_versions)" ]; then
  echo "apt offers no source of $source_package: look at the deb-src entries in apt's sources." >&2
  exit 1
elif ! source_offered; then
  echo "apt offers FreeType's source at $(source_versions | tr '\n' ' ')but not at" >&2
  echo "$source_version, the installed libfreetype6's. Run apt-get update and upgrade it" >&2
  echo "(apt-get install libfreetype6 libfreetype-dev) as root, then run this again." >&2
  exit 1
fi

# The source, unpacked and patched by dpkg-source, in a scratch folder.
scratch=$root/build/web-deps/freetype-build
rm -rf "$scratch"
mkdir -p "$scratch"
(cd "$scratch" && apt-get source -qq "$wanted")
source_dir=
for dir in "$scratch"/freetype-*/; do
  [ -f "$dir/CMakeLists.txt" ] && source_dir=${dir%/}
done
if [ -z "$source_dir" ]; then
  echo "apt-get source $wanted left no FreeType source tree in $scratch" >&2
  exit 1
fi
echo "FreeType source: $source_dir"

# The module list. The CMake build takes it from ftmodule.h (modules.cfg
# serves only the GNU make build); this tree is ours to change.
cat >"$source_dir/include/freetype/config/ftmodule.h" <<'EOF'
/* The modules of the web build: TrueType faces only. */
FT_USE_MODULE( FT_Module_Class, autofit_module_class )
FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )
FT_USE_MODULE( FT_Module_Class, psnames_module_class )
FT_USE_MODULE( FT_Module_Class, sfnt_module_class )
FT_USE_MODULE( FT_Renderer_Class, ft_smooth_renderer_class )
EOF

# Conic arcs: FreeType flattens them with its DDA code on 64-bit hosts
# (x86-64 and arm64, where Debian's Linux builds run) and by binary splits
# elsewhere, wasm32 among them; the two put some edge pixels differently.
# The web build takes the DDA code, which needs nothing but 64-bit integers.
grays=$source_dir/src/smooth/ftgrays.c
dda_condition='^#if FT_SSE2 *|| \\$'
if [ "$(grep -c "$dda_condition" "$grays")" != 1 ]; then
  echo "$grays: no single '#if FT_SSE2 ||' choosing the DDA code; look at BEZIER_USE_DDA there" >&2
  exit 1
fi
sed -i "s/$dda_condition/#if FT_SSE2 || defined( __wasm__ ) || \\\\/" "$grays"
if ! grep -q '^#if FT_SSE2 || defined( __wasm__ ) || \\$' "$grays"; then
  echo "$grays: the DDA code could not be chosen for WebAssembly" >&2
  exit 1
fi

emcmake cmake -S "$source_dir" -B "$scratch/build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=OFF \
  -DFT_DISABLE_PNG=ON -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
  -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_HARFBUZZ=ON
cmake --build "$scratch/build" -j2
cmake --install "$scratch/build"

# The interpreter as Debian builds it: the options header that was installed
# is the source package's, so say what it holds.
grep -E '^#define +(TT_CONFIG_OPTION_(BYTECODE_INTERPRETER|SUBPIXEL_HINTING)|FT_CONFIG_OPTION_SUBPIXEL_RENDERING)' \
  "$prefix/include/freetype2/freetype/config/ftoption.h" | sed 's/^/  /'
size=$(wc -c <"$prefix/lib/libfreetype.a")
echo "FreeType $source_version for the web build: $prefix/lib/libfreetype.a ($size bytes)"
