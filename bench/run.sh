#!/usr/bin/env bash
# Runs every benchmark in turn (bench/<area>/run.sh, in name order) and
# prints their tables. A benchmark that fails is reported and the others
# still run; the exit code is 1 if any failed.
# Usage: bench/run.sh   (MELODEK_BUILD_ROOT moves the build folders)
set -uo pipefail
bench=$(cd "$(dirname "$0")" && pwd)
failed=()
for script in "$bench"/*/run.sh; do
  area=$(basename "$(dirname "$script")")
  echo "######## $area"
  if ! bash "$script"; then
    failed+=("$area")
    echo "(bench/$area/run.sh failed)"
  fi
  echo
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}"
  exit 1
fi
