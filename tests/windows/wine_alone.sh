#!/bin/sh
# Runs a command as the only user of the run's Wine prefix (WINEPREFIX):
#   wine_alone.sh <command> [argument...]
# Wine's server lingers for a few seconds after its last program, and the
# next program joins it and its desktop. A desktop started by a program
# without a display has none, so a window program that followed it could
# not create a window. Every Wine process of the prefix is ended first, and
# again afterwards.
set -u
end_wine() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}
end_wine
"$@"
status=$?
end_wine
exit $status
