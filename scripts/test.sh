#!/usr/bin/env bash
# Sets up, builds and runs every test: the native portable core under
# ASan+UBSan and under TSan, then the Windows build's tests under Wine.
# Both Windows flavours are always built; the tests run against the one this
# machine runs (scripts/flavour.sh; MELODEK_FLAVOUR=win|win64 forces one).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" asan tsan win win64
jobs=$(nproc)
status=0
echo "== native tests (ASan + UBSan)"
ctest --test-dir "$build_root/asan" --output-on-failure -j "$jobs" || status=1
echo "== native tests (TSan)"
ctest --test-dir "$build_root/tsan" --output-on-failure -j "$jobs" -L concurrent || status=1
# shellcheck source=flavour.sh
source "$root/scripts/flavour.sh"
melodek_choose_flavour "$build_root"
echo "== Windows tests under Wine: the $([ "$MELODEK_FLAVOUR" = win ] && echo 32 || echo 64)-bit flavour (build/$MELODEK_FLAVOUR): $MELODEK_FLAVOUR_REASON"
export MELODEK_BUILD="$build_root/$MELODEK_FLAVOUR"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
melodek_wine_up
trap 'melodek_wine_down' EXIT
ctest --test-dir "$MELODEK_BUILD" --output-on-failure -j "$jobs" -LE soak || status=1
exit $status
