#!/usr/bin/env bash
# Jump to File with 100,000 files over 20 lists (long paths, mixed scripts)
# under Wine: window open to first paint, filter time per keystroke, the
# index's memory.
# Usage: bench/jump/run.sh   (MELODEK_BUILD_ROOT moves the build folders)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
# shellcheck source=../../scripts/flavour.sh
source "$root/scripts/flavour.sh"
melodek_bench_build "$root" "$build_root" jump_bench
build="$MELODEK_FLAVOUR_BUILD"
export MELODEK_BUILD="$build"
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
melodek_wine_up
trap melodek_wine_down EXIT
echo "== Jump to File (Wine)"
wine "$build/bench/jump/jump_bench.exe" 2>/dev/null
