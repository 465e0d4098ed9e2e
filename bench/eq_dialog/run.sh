#!/usr/bin/env bash
# The Equalizer dialog under Wine: one drag step (mouse move on the curve
# editor -> points copied -> preset replaced -> command posted -> the player
# thread's curve in the output stage) and one repaint of the editor at
# 800 x 500. Targets: 5 ms and 10 ms. Prints one table.
# Usage: bench/eq_dialog/run.sh [runs (500)]
# (MELODEK_BUILD_ROOT moves the build folders, as for scripts/build.sh).
set -euo pipefail
runs=${1:-500}
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
# shellcheck source=../../scripts/flavour.sh
source "$root/scripts/flavour.sh"
melodek_bench_build "$root" "$build_root" eq_dialog_bench
build="$MELODEK_FLAVOUR_BUILD"

export MELODEK_BUILD="$build"
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
melodek_wine_up
trap melodek_wine_down EXIT
out="$build/bench/eq_dialog/eq_dialog.txt"
wine "$build/bench/eq_dialog/eq_dialog_bench.exe" "$runs" > "$out" 2>/dev/null </dev/null
melodek_wine_down
trap - EXIT

printf '%-18s %6s %9s %9s %9s %9s %9s\n' step runs mean_ms median_ms p95_ms max_ms target_ms
tr -d '\r' < "$out" | awk '{
  target = $1 == "drag_step" ? "5" : $1 == "drag_step_painted" ? "-" : $1 == "repaint_800x500" ? "10" : "-"
  printf "%-18s %6d %9.3f %9.3f %9.3f %9.3f %9s\n", $1, $2, $3, $4, $5, $6, target }'
echo "drag_step: WM_MOUSEMOVE on a dragged point of the real dialog (third-octave preset) until the"
echo "  player thread has built the curve and the equalizer stage published its gain table"
echo "drag_step_painted: the same, until the editor's repaint after the step is done as well"
echo "repaint_800x500: RedrawWindow with an immediate update of the editor (30 points, 30 labels)"
echo "draw_only_800x500: the same drawing into an off-screen picture, without the copy to the window"
