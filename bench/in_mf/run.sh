#!/usr/bin/env bash
# Decoding speed of in_mf.dll: a 5-minute MP3 and FLAC played through the
# plug-in alone, with a host that takes the sound as fast as it comes.
# Prints seconds of sound per second of CPU. Then the memory a playback keeps:
# 1,000 playbacks of a 10 s MP3, FLAC and WAV through the plug-ins, and the
# same use of Media Foundation by bare source readers (no code of ours), so
# that what Media Foundation itself keeps shows apart from the plug-in's.
# MELODEK_OPEN_COUNT changes the 1,000. Usage: bench/in_mf/run.sh
# (MELODEK_BUILD_ROOT moves the build folders, as for scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
# shellcheck source=../../scripts/flavour.sh
source "$root/scripts/flavour.sh"
melodek_bench_build "$root" "$build_root" in_mf_bench in_mf open_close_memory in_wave
build="$MELODEK_FLAVOUR_BUILD"

media="$build/bench/in_mf/media"
mkdir -p "$media"
if [ ! -f "$media/long.flac" ]; then
  sox -R -n -r 44100 -b 16 -c 2 "$media/tones.wav" synth 300 sine 150-6000 sine 4000-300 gain -6
  sox -R -n -r 44100 -b 16 -c 2 "$media/noise.wav" synth 300 pinknoise gain -26
  sox -R -m "$media/tones.wav" "$media/noise.wav" -b 16 "$media/long.wav"
  lame --quiet -b 192 "$media/long.wav" "$media/long.mp3"
  flac -s -f "$media/long.wav" -o "$media/long.flac"
  rm -f "$media/tones.wav" "$media/noise.wav" "$media/long.wav"
fi

export MELODEK_BUILD="$build"
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
melodek_wine_up
trap 'melodek_wine_down' EXIT
for file in long.mp3 long.flac; do
  echo "== $file (5 minutes, 44100 Hz stereo)"
  wine "$build/bench/in_mf/in_mf_bench.exe" "$build/melodek/Plugins/in_mf.dll" "$media/$file" 5 \
    > "$build/bench/in_mf/$file.log" 2>/dev/null || echo "failed"
  cat "$build/bench/in_mf/$file.log"
done

if [ ! -f "$media/ten.flac" ]; then
  sox -R -n -r 44100 -b 16 -c 2 "$media/ten.wav" synth 10 sine 440 gain -9
  lame --quiet -b 192 "$media/ten.wav" "$media/ten.mp3"
  flac -s -f "$media/ten.wav" -o "$media/ten.flac"
fi
count=${MELODEK_OPEN_COUNT:-1000}
plugins=$(winepath -w "$build/melodek/Plugins" 2>/dev/null)
dos_media=$(winepath -w "$media" 2>/dev/null)
memory() {  # <mode> <argument>...
  echo "== memory per playback: $*"
  timeout 900 wine "$build/bench/in_mf/open_close_memory.exe" "$@" "$count" 2>/dev/null | grep -E 'warm-up|growth' \
    || echo "failed"
}
memory plugin "$plugins\\in_mf.dll" "$dos_media\\ten.mp3"
memory reader "$dos_media\\ten.mp3"
memory plugin "$plugins\\in_mf.dll" "$dos_media\\ten.flac"
memory reader "$dos_media\\ten.flac"
memory plugin "$plugins\\in_wave.dll" "$dos_media\\ten.wav"
