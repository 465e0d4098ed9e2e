#!/usr/bin/env bash
# Loudness analysis speed: ten 3-minute files, WAV through in_wave.dll,
# then FLAC through in_mf.dll, each set measured by the analysis worker the
# play list editor uses, with a time-critical thread standing in for the
# output's refill (its late wakes would be dropouts). Targets: 50x real time
# per core for WAV, 20x for FLAC. Usage: bench/loudness/run.sh
# (MELODEK_BUILD_ROOT moves the build folders, as for scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
# shellcheck source=../../scripts/flavour.sh
source "$root/scripts/flavour.sh"
melodek_bench_flavour "$root" "$build_root"
build="$MELODEK_FLAVOUR_BUILD"
cmake --build "$build" --target loudness_bench in_mf in_wave >/dev/null

media="$build/bench/loudness/media"
count=10
seconds=180
mkdir -p "$media"
if [ ! -f "$media/song$count.flac" ]; then
  for i in $(seq $count); do
    sox -R -n -r 44100 -b 16 -c 2 "$media/song$i.wav" synth $seconds pinknoise gain -$((6 + i)) \
      synth $seconds sine mix $((200 + 40 * i))
    flac -s -f "$media/song$i.wav" -o "$media/song$i.flac"
  done
fi

export MELODEK_BUILD="$build"
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
melodek_wine_up
trap 'melodek_wine_down' EXIT
plugins=$(winepath -w "$build/melodek/Plugins" 2>/dev/null)
for kind in wav flac; do
  echo "== $count $kind files of $seconds s, 44100 Hz stereo"
  files=()
  for i in $(seq $count); do files+=("$(winepath -w "$media/song$i.$kind" 2>/dev/null)"); done
  wine "$build/bench/loudness/loudness_bench.exe" "$plugins" $seconds "${files[@]}" 2>/dev/null || echo "failed"
done
