#!/usr/bin/env bash
# Playback benchmarks of the whole engine under Wine. Prints two tables:
#  1. start-up latency: CAudioEngine::Play on a 10 s 44100 Hz stereo WAV
#     (in_wave) until the first refill consumed the file's samples, 30 runs,
#     with the ALSA null file device (faster than real time) and with a
#     PulseAudio null sink (real time); for the ALSA runs also the silence
#     before the file's first sample in what the device received;
#  2. CPU time of the real melodek.exe playing 60 s of WAV (in_wave) and of
#     MP3 (in_mf) in real time, against the program idling for 60 s and
#     against the floor: bare_waveout.exe playing the same WAV through the
#     wave-out device with the same buffers and nothing else.
# Usage: bench/engine/run.sh [runs (30)] [window seconds (60)] [cpu: only table 2]
# (MELODEK_BUILD_ROOT moves the build folders, as for scripts/build.sh).
set -euo pipefail
runs=${1:-30}
window=${2:-60}
part=${3:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
# shellcheck source=../../scripts/flavour.sh
source "$root/scripts/flavour.sh"
melodek_bench_build "$root" "$build_root" engine_bench bare_waveout melodek in_wave in_mf probe
build="$MELODEK_FLAVOUR_BUILD"

# Real-time pacing needs a PulseAudio server of our own.
if ! command -v pulseaudio >/dev/null || ! command -v parec >/dev/null; then
  sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
  install_pulse() {
    DEBIAN_FRONTEND=noninteractive sudo_if_needed apt-get install -y -q --no-install-recommends \
      pulseaudio pulseaudio-utils >/dev/null
  }
  install_pulse || { sudo_if_needed apt-get update -q >/dev/null && install_pulse; }
fi

work="$build/bench/engine"
media="$work/media"
mkdir -p "$media"
if [ ! -f "$media/b.wav" ]; then
  # A 441 Hz tone without a single zero sample: the capture shows exactly
  # where the file's sound begins.
  python3 - "$media/a.wav" <<'PY'
import math, struct, sys, wave
period = [int(6000 * math.sin(2 * math.pi * i / 100)) or 1 for i in range(100)]
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(b"".join(struct.pack("<hh", v, -v) for v in period) * 4410)
PY
  cp "$media/a.wav" "$media/b.wav"
fi
if [ ! -f "$media/minute.mp3" ]; then
  sox -R -n -r 44100 -b 16 -c 2 "$media/tones.wav" synth 60 sine 150-6000 sine 4000-300 gain -6
  sox -R -n -r 44100 -b 16 -c 2 "$media/noise.wav" synth 60 pinknoise gain -26
  sox -R -m "$media/tones.wav" "$media/noise.wav" -b 16 "$media/minute.wav"
  lame --quiet -b 192 "$media/minute.wav" "$media/minute.mp3"
  rm -f "$media/tones.wav" "$media/noise.wav"
fi

# Twenty files of three seconds: a minute of a list, for gapless playback
# against draining and reopening the device between files.
if [ ! -f "$media/list20.wav" ]; then
  for n in $(seq -w 1 20); do
    sox -R -n -r 44100 -b 16 -c 2 "$media/part$n.wav" synth 3 sine $((200 + 10#$n * 37)) gain -8
  done
  touch "$media/list20.wav"
fi
list20=$(ls "$media"/part*.wav | tr '\n' ';')

winpath() { local p=$1; echo "Z:${p//\//\\}"; }
plugins=$(winpath "$build/melodek/Plugins")

export MELODEK_BUILD="$build"
export MELODEK_CAPTURE="$work/capture.raw"
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
# No PulseAudio server is reachable while the ALSA file device is measured,
# and none is started on demand (the client library would spawn one).
export XDG_RUNTIME_DIR="$work/no-pulse"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
echo "autospawn = no" > "$work/no-pulse/client.conf"
export PULSE_CLIENTCONFIG="$work/no-pulse/client.conf"
pulse_pid=""
stop_all() {
  melodek_wine_down
  if [ -n "$pulse_pid" ]; then
    kill "$pulse_pid" 2>/dev/null || true
    pulse_pid=""
  fi
}
trap stop_all EXIT
melodek_wine_up
# Every opening of the device gets a capture file of its own (capture.raw,
# capture.raw.0001, ...), so the start of each run can be inspected.
cat > "$work/asound.conf" <<CONF
pcm.!default {
  type file
  slave.pcm { type null }
  file "$MELODEK_CAPTURE"
  format "raw"
  truncate false
}
CONF
export ALSA_CONFIG_PATH="$work/asound.conf"

if [ "$part" != cpu ]; then
  rm -f "$MELODEK_CAPTURE"*
  wine "$work/engine_bench.exe" "$plugins" "$runs" "$(winpath "$media/a.wav")" "$(winpath "$media/b.wav")" \
    > "$work/alsa.txt" 2> "$work/alsa.log" </dev/null || echo "engine_bench (ALSA) failed" >&2
  # Silence in what the device received, per opening: before the file's first
  # sample, and between its first and last sample (the tone has no zero frame;
  # after the stop the muted refills end the capture with silence).
  silence=$(python3 - "$MELODEK_CAPTURE" <<'PY'
import glob, statistics, sys
leads, gaps = [], []
for path in glob.glob(sys.argv[1] + "*"):
    data = open(path, "rb").read()
    sounding = [data[i:i + 4] != b"\0\0\0\0" for i in range(0, len(data) - 3, 4)]
    if not sounding:
        continue  # an opening that never got a buffer (waveOutOpen timed alone)
    if not any(sounding):
        leads.append(len(sounding) * 1000.0 / 44100)  # nothing of the file at all
        gaps.append(0.0)
        continue
    first = sounding.index(True)
    last = len(sounding) - 1 - sounding[::-1].index(True)
    leads.append(first * 1000.0 / 44100)
    gaps.append(sounding[first:last + 1].count(False) * 1000.0 / 44100)
if leads:
    print("%d %.1f %.1f %.1f" % (len(leads), statistics.median(leads), max(leads), max(gaps)))
else:
    print("0 - - -")
PY
  )
  # The join between two files in the capture, gapless and drained.
  python3 "$root/bench/engine/join_gap.py" > "$work/join.txt" 2> "$work/join.log" \
    || echo "join_gap failed (see $work/join.log)" >&2
fi
wineserver -k >/dev/null 2>&1 || true

# PulseAudio with a null sink: Wine plays to it in real time.
unset PULSE_CLIENTCONFIG
export XDG_RUNTIME_DIR="$work/pulse-runtime"
rm -rf "$XDG_RUNTIME_DIR" && mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset ALSA_CONFIG_PATH
pulseaudio --daemonize=yes --exit-idle-time=-1 -n --load="module-null-sink sink_name=cap" \
  --load=module-native-protocol-unix > "$work/pulse.log" 2>&1
for _ in $(seq 1 100); do [ -f "$XDG_RUNTIME_DIR/pulse/pid" ] && break; sleep 0.05; done
pulse_pid=$(cat "$XDG_RUNTIME_DIR/pulse/pid")
pactl set-default-sink cap
if [ "$part" != cpu ]; then
  wine "$work/engine_bench.exe" "$plugins" "$runs" "$(winpath "$media/a.wav")" "$(winpath "$media/b.wav")" \
    > "$work/pulse.txt" 2> "$work/pulse_runs.log" </dev/null || echo "engine_bench (PulseAudio) failed" >&2
fi

BENCH_PULSE_PID="$pulse_pid" BENCH_PAREC="$work/parec.raw" python3 "$root/bench/engine/cpu_per_minute.py" \
  "$window" idle=- wav="$media/minute.wav" floor="bare:$media/minute.wav" mp3="$media/minute.mp3" \
  gapless20="${list20%;}" reopen20="${list20}nogapless" > "$work/cpu.txt" 2> "$work/cpu.log" \
  || echo "cpu_per_minute failed (see $work/cpu.log)" >&2
stop_all
trap - EXIT

if [ "$part" != cpu ]; then
  echo "== Playback start (in_wave, 10 s 44100 Hz stereo WAV, $runs runs; ms from the Play call)"
  printf '%-12s ' device
  head -n 1 "$work/alsa.txt" | tr -d '\r'
  for device in alsa pulse; do
    label=$([ "$device" = alsa ] && echo "ALSA file" || echo "PulseAudio")
    tr -d '\r' < "$work/$device.txt" | awk -v label="$label" 'NR > 1 { printf "%-12s %s\n", label, $0 }'
  done
  read -r files median_silence max_silence max_gap <<< "$silence"
  echo "silence before the file's first sample (ALSA capture, $files openings): median $median_silence ms," \
    "max $max_silence ms; silence inside the file's sound: max $max_gap ms"
  echo "play_call: CAudioEngine::Play (it returns once the first buffers are queued);"
  echo "play_to_first_refill: until the ring's read counter first moved (device buffers took the file's samples);"
  echo "play_to_plugin_write: until in_wave's first samples reached the ring (includes waveOutOpen);"
  echo "play_to_buffers_queued: until the output turned active; device_open_alone: waveOutOpen by itself."
  echo "first: the first run of the process (the sound system's own start-up)."
  echo
  echo "== The join between two files (ALSA capture): frames from the first file's last sample to the second's first"
  cat "$work/join.txt"
  echo
fi
echo "== CPU time per minute of audio (real melodek.exe, PulseAudio, ${window} s window after its main dialog appeared)"
cat "$work/cpu.txt"
echo "melodek: CPU s per minute of the melodek.exe process; m_core%: the same as a share of one core;"
echo "m_per_snd: its CPU s per minute of sound recorded (Wine's PulseAudio driver drops the start of"
echo "each opening of the device, so reopen20 records less sound than it played);"
echo "wsrv / wine_oth / pulse: CPU s per minute of the wine server, the prefix's other Wine processes"
echo "(explorer with the tray, services) and the PulseAudio daemon; sound_s: seconds of sound recorded"
echo "from the sink during the case; exit_s: from choosing Exit until the process ended."
echo "gapless20 / reopen20: a list of twenty 3 s WAV files played gaplessly / with gapless playback off."
echo "floor: bare_waveout.exe looping the same WAV through the wave-out device (2 buffers of 32768 bytes,"
echo "refilled on the device's event), nothing else; counted in the melodek column."
