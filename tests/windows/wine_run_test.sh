#!/usr/bin/env bash
# scripts/wine-run.sh, the Windows build's emulator, with a stand-in for
# wine that answers as each case says, start by start: a start that failed
# and printed nothing is made once more; a start that printed anything, or
# succeeded, is final, so that a test that fails is never hidden.
#
#   wine_run_test.sh <source dir>
set -euo pipefail
run=$1/scripts/wine-run.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/wine" <<'FAKE'
#!/usr/bin/env bash
# Start N answers as the Nth "status:output" of $ANSWERS, a comma-separated
# list ("-" prints nothing).
n=$(($(cat "$STARTS" 2>/dev/null || echo 0) + 1))
echo "$n" >"$STARTS"
answer=$(echo "$ANSWERS" | cut -d, -f"$n")
[ "${answer#*:}" = - ] || echo "${answer#*:}"
exit "${answer%%:*}"
FAKE
chmod +x "$work/wine"

failed=0
# answers, then the status, starts and output expected
while read -r answers status starts output; do
  rm -f "$work/starts"
  got_status=0
  got=$(PATH="$work:$PATH" STARTS="$work/starts" ANSWERS="$answers" "$run" test.exe \
    2>"$work/err") || got_status=$?
  [ "$output" = - ] && output=""
  if [ "$got_status" != "$status" ] || [ "$(cat "$work/starts")" != "$starts" ] ||
    [ "$got" != "$output" ]; then
    echo "wine-run with '$answers': status $got_status, $(cat "$work/starts") starts, printed '$got';" \
      "expected $status, $starts, '$output'" >&2
    failed=1
  fi
  if [ "$starts" = 2 ] && ! grep -q "starting it again" "$work/err"; then
    echo "wine-run with '$answers' started again without saying so" >&2
    failed=1
  fi
done <<'CASES'
0:ok 0 1 ok
0:- 0 1 -
1:FAILED 1 1 FAILED
1:-,0:ok 0 2 ok
3:-,3:- 3 2 -
CASES
exit "$failed"
