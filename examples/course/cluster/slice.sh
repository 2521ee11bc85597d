#!/usr/bin/env bash
# One slice of the class on a batch cluster: the K-th of N, cut by the
# students' names, against the reference results reference.sh made. A Slurm
# array task or a Kubernetes Indexed Job's pod runs it; K comes from the
# task's index, N from the array's size or VELKO_SLICES.
#   slice.sh
# Environment (all optional):
#   VELKO_CLASS    the class: one sub-folder a student with their program (submissions)
#   VELKO_WORK     a folder every task shares (cluster-work): reference/, slices/K, report/
#   VELKO_SLICES   N, where the scheduler does not give it
#   VELKO_CHECK    the velko-check to run (velko-check)
set -euo pipefail
course=$(cd "$(dirname "$0")/.." && pwd)
cd "$course"
class=$(realpath -m "${VELKO_CLASS:-submissions}")
work=$(realpath -m "${VELKO_WORK:-cluster-work}")
if [ -n "${SLURM_ARRAY_TASK_ID:-}" ]; then
  k=$((SLURM_ARRAY_TASK_ID - ${SLURM_ARRAY_TASK_MIN:-0} + 1))
  n=${VELKO_SLICES:-${SLURM_ARRAY_TASK_COUNT:?}}
elif [ -n "${JOB_COMPLETION_INDEX:-}" ]; then
  k=$((JOB_COMPLETION_INDEX + 1))
  n=${VELKO_SLICES:?set VELKO_SLICES to the number of completions}
else
  echo "slice.sh: no SLURM_ARRAY_TASK_ID or JOB_COMPLETION_INDEX: which slice is this?" >&2
  exit 64
fi
# shellcheck source=../check.conf
. ./check.conf
status=0
"${VELKO_CHECK:-velko-check}" --class "${check_options[@]}" --points "$points" --shard "$k/$n" \
  -R "$work/reference" -o "$work/slices/$k" "$class" >"$work/slice-$k.txt" || status=$?
# 1 only says that some students differ: the slice is done all the same.
[ "$status" -le 1 ] || { cat "$work/slice-$k.txt" >&2; exit "$status"; }
