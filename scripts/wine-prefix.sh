#!/usr/bin/env bash
# Makes (or brings up to date) the Wine prefix the tests of one test run share:
#   scripts/wine-prefix.sh <prefix dir>
# Without Mono and Gecko, so that a fresh prefix never stops at an installer
# dialog; waits until Wine has finished setting it up.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh <prefix dir>}
mkdir -p "$prefix"
export WINEPREFIX
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
wineboot -i
wineserver -w
