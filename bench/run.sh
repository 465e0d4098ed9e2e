#!/usr/bin/env bash
# Runs every benchmark in turn (bench/<area>/run.sh, in name order) and
# prints their tables. A benchmark that fails is reported and the others
# still run; the exit code is 1 if any failed.
# Usage: bench/run.sh   (MELODEK_BUILD_ROOT moves the build folders)
set -uo pipefail
bench=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$bench/.." && pwd)
# The Windows-side benchmarks measure the flavour this machine runs
# (MELODEK_FLAVOUR=win|win64 forces one); chosen once for all of them.
# shellcheck source=../scripts/flavour.sh
source "$root/scripts/flavour.sh"
melodek_bench_flavour "$root" "${MELODEK_BUILD_ROOT:-$root/build}"
export MELODEK_FLAVOUR
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
