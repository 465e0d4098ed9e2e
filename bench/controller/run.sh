#!/usr/bin/env bash
# The Controller's cost under Wine: the time of one timer tick, and the CPU
# time and wake-ups per minute of melodek.exe idle (Controller hidden) against
# the Controller shown and a file playing (bench/controller/idle_bench.py says
# exactly what each figure measures).
# Usage: bench/controller/run.sh [seconds per scenario (60)]
# (MELODEK_BUILD_ROOT moves the build folders, as for scripts/build.sh).
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
# shellcheck source=../../scripts/flavour.sh
source "$root/scripts/flavour.sh"
melodek_bench_build "$root" "$build_root" controller_tick_bench melodek in_wave probe
build="$MELODEK_FLAVOUR_BUILD"

export MELODEK_BUILD="$build"
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
# Sound goes to the ALSA file device: no PulseAudio server may be reachable.
export XDG_RUNTIME_DIR="$build/bench/controller/no-pulse"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
melodek_wine_up
trap melodek_wine_down EXIT
wineserver -p >/dev/null 2>&1 || true  # already persistent: melodek_wine_up made it so
out="$build/bench/controller"
wine "$build/bench/controller/controller_tick_bench.exe" > "$out/tick.txt" 2> "$out/tick.log" \
  || echo "controller_tick_bench failed (see $out/tick.log)" >&2
python3 "$root/bench/controller/idle_bench.py" "$seconds" > "$out/idle.txt" 2> "$out/idle.log" \
  || echo "idle_bench failed (see $out/idle.log)" >&2
melodek_wine_down
trap - EXIT

echo "== One Controller tick (Wine; the real dialog, shown, with a stand-in behind it)"
cat "$out/tick.txt"
echo "A tick sets the seek slider only when its thumb moves a pixel (about every 3 s for a"
echo "10-minute file) and compares the title with the caption; the repaint runs later, from the loop."
echo
echo "== melodek.exe per minute (Wine, $seconds s per scenario)"
cat "$out/idle.txt"
echo "Idle target: at most 0.05 s CPU per minute and no periodic timer (no wake-ups)."
