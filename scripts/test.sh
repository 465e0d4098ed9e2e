#!/usr/bin/env bash
# Sets up, builds and runs every test: the native portable core under
# ASan+UBSan and under TSan, then the Windows build's tests under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" asan tsan win
jobs=$(nproc)
status=0
echo "== native tests (ASan + UBSan)"
ctest --test-dir "$root/build/asan" --output-on-failure -j "$jobs" || status=1
echo "== native tests (TSan)"
ctest --test-dir "$root/build/tsan" --output-on-failure -j "$jobs" -L concurrent || status=1
echo "== Windows tests under Wine"
export MELODEK_BUILD="$root/build/win"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
melodek_wine_up
trap 'melodek_wine_down' EXIT
ctest --test-dir "$MELODEK_BUILD" --output-on-failure -j "$jobs" || status=1
exit $status
