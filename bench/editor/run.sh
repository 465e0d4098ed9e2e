#!/usr/bin/env bash
# The play list editor with 10,000 untitled entries under Wine: open, move of
# 1,000 rows, delete of 5,000, drag image and memory while dragging all.
# Usage: bench/editor/run.sh   (MELODEK_BUILD_ROOT moves the build folders)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
# shellcheck source=../../scripts/flavour.sh
source "$root/scripts/flavour.sh"
melodek_bench_build "$root" "$build_root" editor_bench
build="$MELODEK_FLAVOUR_BUILD"
export MELODEK_BUILD="$build"
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
melodek_wine_up
trap melodek_wine_down EXIT
echo "== Play list editor (Wine)"
wine "$build/bench/editor/editor_bench.exe" 2>/dev/null
