#!/bin/sh
# Makes the Wine prefix that the Wine tests of one test run share:
#   scripts/wine-prefix.sh <prefix dir>
# Without the overrides a fresh prefix can stop at an installer dialog.
set -eu
[ $# -eq 1 ] || { echo "usage: $0 <prefix dir>" >&2; exit 2; }
mkdir -p "$1"
WINEPREFIX=$(cd "$1" && pwd)
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
wineboot -i
wineserver -w
