#!/usr/bin/env bash
# Runs kubernetes.yaml's Jobs in turn: the reference, the slices, the merge,
# each once the one before has completed. The report stays on the volume
# (velko-work), in report/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
documents=$(mktemp -d)
trap 'rm -rf "$documents"' EXIT
# One file a document, in the order of kubernetes.yaml.
awk -v dir="$documents" 'BEGIN { n = 0 } /^---$/ { n++; next } { print > (dir "/" n ".yaml") }' "$here/kubernetes.yaml"
kubectl apply -f "$documents/0.yaml"
for job in 1:velko-reference 2:velko-slices 3:velko-merge; do
  kubectl apply -f "$documents/${job%%:*}.yaml"
  kubectl wait --for=condition=complete --timeout=2h "job/${job#*:}"
done
echo "the report is in the volume velko-work, in report/"
