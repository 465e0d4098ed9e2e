#!/usr/bin/env bash
# Builds the native Release benchmark of the settings archive and runs it.
# The build goes to $MELODEK_BUILD_ROOT/native (default build/native).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/build.sh" native >/dev/null
exec "${MELODEK_BUILD_ROOT:-$root/build}/native/bench/settings/settings_bench"
