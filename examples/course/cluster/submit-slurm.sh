#!/usr/bin/env bash
# Submits the class to Slurm: the reference, then the slices (an array job,
# slices.sbatch), then the merge, each waiting for the one before to succeed.
# VELKO_CLASS and VELKO_WORK (see slice.sh) must be on storage every node
# sees.
set -euo pipefail
cluster=$(cd "$(dirname "$0")" && pwd)
export VELKO_COURSE=${cluster%/cluster}
reference=$(sbatch --parsable --job-name=velko-reference --export=ALL --wrap="$cluster/reference.sh")
slices=$(sbatch --parsable --dependency="afterok:$reference" --export=ALL "$cluster/slices.sbatch")
merge=$(sbatch --parsable --job-name=velko-merge --dependency="afterok:$slices" --export=ALL \
  --wrap="$cluster/merge.sh")
echo "submitted: reference $reference, slices $slices, merge $merge"
