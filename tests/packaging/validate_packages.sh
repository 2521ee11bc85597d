#!/usr/bin/env bash
# Checks the packages in a folder with the validators Debian uses:
#   lintian on every .deb (no error; every warning is printed, and a warning
#   not listed in ALLOWED_WARNINGS below fails too), desktop-file-validate on
#   the desktop entry and appstreamcli on the metainfo of the designer's
#   package, that the source tarball, the Windows zip (--zip) and the web
#   package (--web) are there, that the archives carry the licence (LICENSE;
#   a Debian package has it in its copyright file), and that every package a
#   user installs carries the checking guide the README links and not the
#   course's reference solution, which is the teacher's.
#
#   validate_packages.sh [--zip] [--web] <package dir>
set -euo pipefail
want_zip=0
want_web=0
while [ "${1-}" = "--zip" ] || [ "${1-}" = "--web" ]; do
  [ "$1" = "--zip" ] && want_zip=1
  [ "$1" = "--web" ] && want_web=1
  shift
done
dir=$(cd "${1:?usage: validate_packages.sh [--zip] [--web] <package dir>}" && pwd)
# Warnings that stay, each with why (none today).
ALLOWED_WARNINGS=""
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
problem() {
  echo "validate: $*" >&2
  status=1
}

debs=$(find "$dir" -maxdepth 1 -name '*.deb' | sort)
[ "$(echo "$debs" | grep -c .)" -eq 4 ] || problem "expected 4 .deb files in $dir, found: $debs"
for deb in $debs; do
  # lintian's exit status counts errors only; warnings are read from its lines.
  lintian --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
  grep -v '^running with root privileges' "$work/lintian.txt" || true
  if grep -q '^E: ' "$work/lintian.txt"; then
    problem "lintian reports errors on $(basename "$deb")"
  fi
  while read -r tag; do
    [ -z "$tag" ] && continue
    case " $ALLOWED_WARNINGS " in
      *" $tag "*) ;;
      *) problem "lintian warning $tag on $(basename "$deb") is not one of the allowed ones" ;;
    esac
  done < <(sed -n 's/^W: [^:]*: \([^ ]*\).*/\1/p' "$work/lintian.txt")
done

designer=$(echo "$debs" | grep '/velko-cone_' || true)
if [ -n "$designer" ]; then
  dpkg-deb -x "$designer" "$work/designer"
  entries=$(find "$work/designer/usr/share/applications" -name '*.desktop')
  [ -n "$entries" ] || problem "the designer's package has no desktop entry"
  for entry in $entries; do
    desktop-file-validate "$entry" || problem "desktop-file-validate rejects $(basename "$entry")"
  done
  metainfo=$(find "$work/designer/usr/share/metainfo" -name '*.metainfo.xml')
  [ -n "$metainfo" ] || problem "the designer's package has no metainfo"
  for file in $metainfo; do
    appstreamcli validate --no-net "$file" || problem "appstreamcli rejects $(basename "$file")"
  done
fi

source_tarball=$(find "$dir" -maxdepth 1 -name 'velko-[0-9]*.tar.gz')
[ -n "$source_tarball" ] || problem "no source tarball in $dir"
zip=$(find "$dir" -maxdepth 1 -name 'velko-*-win64.zip')
web=$(find "$dir" -maxdepth 1 -name 'velko-web-*.tar.gz')
[ "$want_zip" = 0 ] || [ -n "$zip" ] || problem "no Windows zip in $dir"
[ "$want_web" = 0 ] || [ -n "$web" ] || problem "no web package in $dir"

# What each package holds, one path a line.
listing() {
  case $1 in
    *.deb) dpkg-deb -c "$1" | awk '{print $NF}' ;;
    *) cmake -E tar tf "$1" ;;
  esac
}
guide_carried=0
for package in $debs $zip $web; do
  listing "$package" >"$work/listing.txt"
  if grep -q 'examples/course/reference' "$work/listing.txt"; then
    problem "$(basename "$package") carries the course's reference solution"
  fi
  if grep -q 'examples/course/' "$work/listing.txt" && ! grep -q '/checking\.md$' "$work/listing.txt"; then
    problem "$(basename "$package") carries the course without docs/checking.md"
  fi
  grep -q '/checking\.md$' "$work/listing.txt" && guide_carried=$((guide_carried + 1))
done
[ "$guide_carried" -gt 0 ] || problem "no package carries docs/checking.md"
for archive in $source_tarball $zip $web; do
  listing "$archive" >"$work/listing.txt"
  grep -q '/LICENSE$' "$work/listing.txt" || problem "$(basename "$archive") carries no LICENSE"
done
[ "$status" -eq 0 ] && echo "validate: $(echo "$debs" | wc -l) packages pass lintian, the desktop entry and the metainfo are valid"
exit "$status"
