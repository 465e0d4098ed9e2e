#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer) and runs each for a given time.
#   fuzz/run.sh SECONDS [TARGET...]     e.g.  fuzz/run.sh 600
# Targets are the fuzz_* executables of the fuzz build (all when none are
# named). Each starts from the committed seeds in fuzz/<area>/corpus/<name>/
# (name = target without "fuzz_") and keeps what it finds in a working
# corpus in the build folder, so the committed seeds stay small. Crash and
# hang inputs go to <build>/fuzz/artifacts/<target>/; the script exits 1
# when any target found one. An area's fuzz/<area>/options file adds
# libFuzzer options for its targets (e.g. a tighter allocation limit).
# MELODEK_FUZZ_RUNS=N stops each target after N executions (SECONDS then
# only caps the wall time); MELODEK_FUZZ_NICE=1 runs the targets under
# nice -n 19 so that a long run leaves a shared machine usable.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
"$root/scripts/build.sh" fuzz >/dev/null
build="${MELODEK_BUILD_ROOT:-$root/build}/fuzz"
out="$build/fuzz-runs"
mkdir -p "$out"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  while IFS= read -r exe; do targets+=("$(basename "$exe")"); done \
    < <(find "$build/fuzz" -maxdepth 2 -type f -name 'fuzz_*' -perm -u+x | sort)
fi

status=0
for target in "${targets[@]}"; do
  exe=$(find "$build/fuzz" -maxdepth 2 -type f -name "$target" -perm -u+x | head -n 1)
  [ -n "$exe" ] || { echo "$target: not built" >&2; status=1; continue; }
  area=$(basename "$(dirname "$exe")")
  seeds="$root/fuzz/$area/corpus/${target#fuzz_}"
  work="$out/corpus/$target"
  artifacts="$out/artifacts/$target"
  mkdir -p "$work" "$artifacts"
  log="$out/$target.log"
  seed_args=()
  [ -d "$seeds" ] && seed_args=("$seeds")
  options=()
  [ -n "${MELODEK_FUZZ_RUNS:-}" ] && options+=(-runs="$MELODEK_FUZZ_RUNS")
  runner=()
  [ -n "${MELODEK_FUZZ_NICE:-}" ] && runner=(nice -n 19)
  if [ -f "$root/fuzz/$area/options" ]; then
    read -r -a area_options < "$root/fuzz/$area/options"
    options+=("${area_options[@]}")
  fi
  "${runner[@]}" "$exe" "$work" "${seed_args[@]}" -max_total_time="$seconds" -timeout=5 -max_len=8192 \
    -rss_limit_mb=2048 "${options[@]}" -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1 || true
  execs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1)
  found=$(find "$artifacts" -type f | wc -l)
  echo "$target: ${execs:-?} executions, ${cov:-cov: ?}, corpus $(ls "$work" | wc -l) inputs, $found findings (log $log)"
  [ "$found" -eq 0 ] || status=1
done
exit $status
