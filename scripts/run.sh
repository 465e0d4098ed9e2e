#!/usr/bin/env bash
# Sets up, builds and runs Melodek under Wine, playing the bundled default
# sound. Without a display it runs under Xvfb; the played sound is captured
# to build/win/capture.raw (16-bit stereo PCM; the file holds the latest
# file played). Stop it with Ctrl+C. Where Wine cannot run 32-bit programs,
# the 64-bit build runs instead (scripts/flavour.sh; build/win64/capture.raw).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win
# shellcheck source=flavour.sh
source "$root/scripts/flavour.sh"
melodek_choose_flavour "$build_root"
[ "$MELODEK_FLAVOUR" = win ] || "$root/scripts/build.sh" "$MELODEK_FLAVOUR"
echo "Running the $([ "$MELODEK_FLAVOUR" = win ] && echo 32 || echo 64)-bit Melodek (build/$MELODEK_FLAVOUR): $MELODEK_FLAVOUR_REASON."
export MELODEK_BUILD="$build_root/$MELODEK_FLAVOUR"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
had_display=${DISPLAY:-}
melodek_wine_up
trap 'melodek_wine_down' EXIT
# Ctrl+C chooses "Exit" in Melodek, so it ends as a user would end it (and
# saves its settings), before the Wine environment is taken down.
stop_melodek() {
  trap - INT TERM
  echo "Stopping Melodek..."
  wine "$MELODEK_BUILD/tests/e2e/probe.exe" command 57665 >/dev/null 2>&1 || true
  for _ in $(seq 1 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  exit 0
}
trap stop_melodek INT TERM
app="$MELODEK_BUILD/melodek/melodek.exe"
sound="$MELODEK_BUILD/melodek/default.wav"
rm -f "$MELODEK_CAPTURE"
if [ -z "$had_display" ]; then
  echo "Melodek runs under Xvfb on $DISPLAY (no display was set)."
else
  echo "Melodek runs on $DISPLAY."
fi
echo "Played sound is captured to $MELODEK_CAPTURE (16-bit stereo PCM at the file's rate; it holds the latest file played)."
args=()
[ -f "$sound" ] && args+=("$(winepath -w "$sound")")
echo "Melodek is in the notification area. Press Ctrl+C to stop it."
setsid wine "$app" "${args[@]}" >"$MELODEK_BUILD/melodek-run.log" 2>&1 &
pid=$!
wait "$pid" || true
