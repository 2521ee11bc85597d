#!/usr/bin/env bash
# Makes (or brings up to date) the Wine prefix the tests of one test run share:
#   scripts/wine-prefix.sh [--serve] <prefix dir>   before the first test
#   scripts/wine-prefix.sh --end <prefix dir>       after the last one
# Without Mono and Gecko, so that a fresh prefix never stops at an installer
# dialog. Any server of the prefix is ended first, and --end ends it.
#
# --serve leaves a server running, with the prefix's system programs
# (services.exe, winedevice.exe...), for tests that run Wine programs two at a
# time. Debian's wineserver has no persistence: it and the system programs
# end whenever no program runs. A program could then start while the server
# was ending and lose its connection ("wine client error:0: recvmsg:
# Connection reset by peer"), and the system programs started again by the
# next test took over its output, so that its test waited for them. Window
# programs must not have it: a server started without a display gives them a
# desktop where no window can be made.
set -euo pipefail
mode=make
case "${1-}" in
  --serve | --end)
    mode=${1#--}
    shift
    ;;
esac
prefix=${1:?usage: wine-prefix.sh [--serve | --end] <prefix dir>}
mkdir -p "$prefix"
export WINEPREFIX
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="

# A server left by an earlier run that was interrupted ends too.
wineserver -k 2>/dev/null || true
wineserver -w
if [ "$mode" = end ]; then
  exit 0
fi
wineboot -i
wineserver -w
if [ "$mode" != serve ]; then
  exit 0
fi
# Detached from this test's output, which ctest would otherwise wait on.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd.exe /c exit </dev/null >/dev/null 2>&1
