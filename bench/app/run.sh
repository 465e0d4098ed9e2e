#!/usr/bin/env bash
# Start-up benchmarks of melodek.exe under Wine: a second start handing two
# files to the running first instance, against the start of a bare Windows
# program; the first instance's cold start until its tray icon exists; and
# how long Exit takes; 6 and 12 copies launched at once until the last file
# is in the list. Prints one table (bench/app/app_bench.py says exactly what
# each figure measures). Then where a cold start's time goes, step by step,
# and the first use of the Controller and of Play against a second use
# (bench/app/steps.py, from the program's MELODEK_STARTUP_TIMES timeline).
# Usage: bench/app/run.sh [runs (20)] [together | steps: only that part]
# (MELODEK_BUILD_ROOT moves the build folders, as for scripts/build.sh).
set -euo pipefail
runs=${1:-20}
part=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
# shellcheck source=../../scripts/flavour.sh
source "$root/scripts/flavour.sh"
melodek_bench_build "$root" "$build_root" tray_watch melodek in_wave in_mf probe bare_start
build="$MELODEK_FLAVOUR_BUILD"

export MELODEK_BUILD="$build"
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
# Sound goes to the ALSA file device: no PulseAudio server may be reachable.
export XDG_RUNTIME_DIR="$build/bench/app/no-pulse"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
melodek_wine_up
trap melodek_wine_down EXIT
# Every start below finds the prefix's wine server running, as on a desktop.
wineserver -p >/dev/null 2>&1 || true  # already persistent: melodek_wine_up made it so
if [ "$part" != steps ]; then
  python3 "$root/bench/app/app_bench.py" "$runs" $part > "$build/bench/app/app.txt" 2> "$build/bench/app/app.log" \
    || echo "app_bench failed (see $build/bench/app/app.log)" >&2
fi
if [ -z "$part" ] || [ "$part" = steps ]; then
  python3 "$root/bench/app/steps.py" "$runs" > "$build/bench/app/steps.txt" 2> "$build/bench/app/steps.log" \
    || echo "steps.py failed (see $build/bench/app/steps.log)" >&2
fi
melodek_wine_down
trap - EXIT

if [ "$part" = steps ] || [ -z "$part" ]; then
  echo "== Where a cold start's time goes ($MELODEK_FLAVOUR_BUILD, $runs starts)"
  cat "$build/bench/app/steps.txt"
  echo "libraries: loaded after WinMain (a plug-in's Init runs between its own line and the next one)."
  if [ "$part" = steps ]; then exit 0; fi
fi
echo "== Start-up and hand-over (Wine, wine server running, $runs runs each)"
cat "$build/bench/app/app.txt"
echo "x_bare: median / median of bare_start.exe returning at once."
echo "hand-over: 'wine melodek.exe a.wav b.wav' with a first instance running; 'played': the first"
echo "instance's sound device received its first bytes (its ALSA capture grew; polled every 1 ms)."
echo "cold start: no other copy running; the icon is known once Shell_NotifyIcon(NIM_MODIFY) for it"
echo "succeeds from another process (tray_watch.exe, polling every 2 ms)."
echo "together: N copies launched at once with a file each, no copy running; the last file is in the list"
echo "when both the main dialog exists and every hand-over process has ended (seeded order per run)."
