#!/usr/bin/env bash
# Checks the packages in a folder with the validators Debian uses:
#   lintian on every .deb (no error; every warning is printed, and a warning
#   not listed in ALLOWED_WARNINGS below fails too), desktop-file-validate on
#   the desktop entry and appstreamcli on the metainfo of the designer's
#   package, and that the source tarball and the Windows zip (when asked
#   with --zip) are there.
#
#   validate_packages.sh [--zip] <package dir>
set -euo pipefail
want_zip=0
if [ "${1-}" = "--zip" ]; then
  want_zip=1
  shift
fi
dir=$(cd "${1:?usage: validate_packages.sh [--zip] <package dir>}" && pwd)
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

[ -n "$(find "$dir" -maxdepth 1 -name 'velko-*.tar.gz')" ] || problem "no source tarball in $dir"
if [ "$want_zip" = 1 ]; then
  [ -n "$(find "$dir" -maxdepth 1 -name 'velko-*-win64.zip')" ] || problem "no Windows zip in $dir"
fi
[ "$status" -eq 0 ] && echo "validate: $(echo "$debs" | wc -l) packages pass lintian, the desktop entry and the metainfo are valid"
exit "$status"
