#!/bin/sh
# The web build draws the pictures under node, then the Linux build compares
# them with its own.
#   web_parity.sh <node> <web build's web_parity.js> <Linux web_parity> <pictures file>
set -eu
[ $# -eq 4 ] || { echo "usage: $0 <node> <web_parity.js> <web_parity> <pictures file>" >&2; exit 2; }
rm -f "$4" "$4.faces"
"$1" "$2" draw "$4"
exec "$3" compare "$4"
