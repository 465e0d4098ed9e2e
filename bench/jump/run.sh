#!/usr/bin/env bash
# Jump to File with 100,000 files over 20 lists (long paths, mixed scripts):
# the search alone natively (wall clock and thread CPU time), then the real
# window under Wine: open to first paint, each keystroke, the index's memory.
# Usage: bench/jump/run.sh   (MELODEK_BUILD_ROOT moves the build folders)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
native="$build_root/native"
[ -f "$native/CMakeCache.txt" ] || cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" --target jump_index_bench >/dev/null
echo "== Jump to File's search (native)"
"$native/bench/jump/jump_index_bench"
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
