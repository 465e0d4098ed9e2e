#!/usr/bin/env bash
# Runs the Windows tests (or those matching a pattern) N times in a row, each
# time in a fresh Wine prefix and on a fresh display, and counts the failures
# of each test. Each run's output and the evidence the harness saved for a
# failed start stay in <build>/repeat/run-<n>/. The tests run side by side as
# in scripts/test.sh, so a run loads the machine as the test command does.
# Usage: scripts/repeat-tests.sh <runs> [ctest pattern]
#   MELODEK_FLAVOUR=win|win64 chooses the build (as for scripts/test.sh);
#   MELODEK_BUILD_ROOT moves the build folders. Builds nothing: run
#   scripts/build.sh first.
set -uo pipefail
runs=${1:?usage: repeat-tests.sh <runs> [ctest pattern]}
pattern=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
# shellcheck source=flavour.sh
source "$root/scripts/flavour.sh"
melodek_choose_flavour "$build_root" || exit 2
export MELODEK_BUILD="$build_root/$MELODEK_FLAVOUR"
out="$MELODEK_BUILD/repeat"
rm -rf "$out"
mkdir -p "$out"
declare -A failures=()
selection=(-LE soak)
[ -n "$pattern" ] && selection+=(-R "$pattern")
echo "== $runs runs of the Windows tests${pattern:+ matching '$pattern'} (build/$MELODEK_FLAVOUR), each in a fresh prefix"
for run in $(seq 1 "$runs"); do
  dir="$out/run-$run"
  mkdir -p "$dir"
  rm -rf "$MELODEK_BUILD"/e2e/*/evidence-*
  # CTest leaves the list of an earlier run's failures when every test passes.
  failed_file="$MELODEK_BUILD/Testing/Temporary/LastTestsFailed.log"
  rm -f "$failed_file"
  (
    # shellcheck source=wine-env.sh
    source "$root/scripts/wine-env.sh"
    unset DISPLAY
    rm -rf "$WINEPREFIX"
    melodek_wine_up
    trap melodek_wine_down EXIT
    ctest --test-dir "$MELODEK_BUILD" --output-on-failure -j "$(nproc)" "${selection[@]}" > "$dir/ctest.log" 2>&1
  )
  failed=()
  if [ -f "$failed_file" ] && grep -q . "$failed_file"; then
    # Lines read "<number>:<test name>".
    mapfile -t failed < <(cut -d: -f2- "$failed_file")
    cp "$failed_file" "$dir/"
  fi
  for name in "${failed[@]}"; do
    failures[$name]=$(( ${failures[$name]:-0} + 1 ))
  done
  # The evidence the harness saved lives in the tests' folders, which the next run clears.
  for evidence in "$MELODEK_BUILD"/e2e/*/evidence-*; do
    [ -d "$evidence" ] && cp -r "$evidence" "$dir/$(basename "$(dirname "$evidence")")-$(basename "$evidence")"
  done
  summary=$(grep -E "tests passed|tests failed" "$dir/ctest.log" | tail -1)
  echo "run $run: ${summary:-no summary (see $dir/ctest.log)}${failed[*]:+; failed: ${failed[*]}}"
done
echo "== failures per test over $runs runs"
if [ ${#failures[@]} -eq 0 ]; then
  echo "none"
else
  for name in "${!failures[@]}"; do echo "${failures[$name]} $name"; done | sort -rn
fi
[ ${#failures[@]} -eq 0 ]
