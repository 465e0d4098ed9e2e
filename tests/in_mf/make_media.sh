#!/usr/bin/env bash
# Makes the sound files the in_mf plug-in tests play: a known source WAV and
# its MP3, FLAC, M4A (AAC) and WMA encodings with and without tags, plus
# files that must be refused. Usage: make_media.sh <output folder>
# Tools: sox, lame, flac, ffmpeg (scripts/setup.sh installs them). A missing
# tool leaves its files out; the tests that need them then say so and skip.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
have() { command -v "$1" >/dev/null 2>&1; }

# Source: 10 s, 44100 Hz stereo; a different sweep per channel over quiet
# pink noise, so that cross-correlation finds one clear alignment.
sox -R -n -r 44100 -b 16 -c 2 tones.wav synth 10 sine 150-6000 sine 4000-300 gain -6
sox -R -n -r 44100 -b 16 -c 2 noise.wav synth 10 pinknoise gain -26
sox -R -m tones.wav noise.wav -b 16 source.wav
sox -R source.wav -r 22050 -c 1 -b 16 source_mono22k.wav
rm -f tones.wav noise.wav

if have lame; then
  lame --quiet -b 192 --id3v2-only --tt "MP3 Title" --ta "MP3 Artist" source.wav song.mp3
  lame --quiet -b 192 --id3v1-only --tt "V1 Title" --ta "V1 Artist" source.wav v1only.mp3
  lame --quiet -b 192 source.wav "No Tags Here.mp3"
  lame --quiet -b 64 source_mono22k.wav mono22k.mp3
  # An independent decoder's output of song.mp3, to check the decoded sound itself.
  lame --quiet --decode song.mp3 song_mp3_reference.wav
fi
if have flac; then
  flac -s -f -T "TITLE=FLAC Title" -T "ARTIST=FLAC Artist" source.wav -o song.flac
  flac -s -f -T "TITLE=Caf$(printf '\xc3\xa9') Only" source.wav -o titleonly.flac
  cp song.flac "odd #1 100%.flac"  # characters that mean something in URLs
  flac -s -f -T "TITLE=$(head -c 600 /dev/zero | tr '\0' 'x')" -T "ARTIST=Long" source.wav -o long.flac
  cp song.flac replaygain.flac
  metaflac --add-replay-gain replaygain.flac
fi
if have ffmpeg; then
  ffmpeg -v error -y -i source.wav -c:a aac -b:a 192k -metadata title="M4A Title" -metadata artist="M4A Artist" song.m4a
  ffmpeg -v error -y -i source.wav -c:a wmav2 -b:a 192k -metadata title="WMA Title" -metadata artist="WMA Artist" song.wma
fi

# Refused files: text under a claimed extension, empty files.
for ext in mp3 m4a wma flac; do
  for i in $(seq 2000); do echo "this is not a sound file"; done > "garbage.$ext"
done
: > empty.mp3
: > empty.flac
