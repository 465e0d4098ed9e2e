#!/usr/bin/env bash
# Makes the sound files the in_mf plug-in tests play: a known source WAV and
# its MP3, FLAC, M4A (AAC) and WMA encodings with and without tags, a
# gapless set (AAC with an edit list or iTunSMPB, MP3 with LAME headers)
# with ffmpeg's decodes to compare against, plus files that must be
# refused. Usage: make_media.sh <output folder>
# Tools: sox, lame, flac, ffmpeg, python3 (scripts/setup.sh installs them). A missing
# tool leaves its files out; the tests that need them then say so and skip.
set -euo pipefail
out=$1
here=$(cd "$(dirname "$0")" && pwd)
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

# Gapless: 4.000 s (176400 frames, a whole AAC packet count plus 272) and
# 175104 frames (171 whole packets: ffmpeg's edit list, in milliseconds,
# then falls 27 frames short of the media's end), a sweep over white noise
# so that no two neighbouring samples repeat. AAC without perceptual noise
# substitution: its noise is random per decoder, and the plug-in's decode
# is compared sample for sample with ffmpeg's.
sox -R -n -r 44100 -b 16 -c 2 tones.wav synth 4 sine 200-9000 sine 7000-400 gain -6
sox -R -n -r 44100 -b 16 -c 2 noise.wav synth 4 whitenoise gain -40
sox -R -m tones.wav noise.wav -b 16 gapless.wav
sox -R gapless.wav gapless_short.wav trim 0s 175104s
rm -f tones.wav noise.wav
if have ffmpeg; then
  aac=(-c:a aac -aac_pns 0 -b:a 192k)
  ffmpeg -v error -y -i gapless.wav "${aac[@]}" gapless_elst.m4a
  ffmpeg -v error -y -i gapless_short.wav "${aac[@]}" gapless_short_elst.m4a
  # The same encoding without an edit list, tagged with iTunSMPB instead.
  ffmpeg -v error -y -i gapless.wav "${aac[@]}" -use_editlist 0 gapless_noedit.m4a
  python3 "$here/add_itunsmpb.py" gapless_noedit.m4a gapless_elst.m4a 176400 gapless_smpb.m4a
  # ffmpeg's own decodes: it skips the edit list's priming but keeps the
  # last packet whole; without an edit list it keeps the priming too.
  for f in gapless_elst gapless_short_elst gapless_noedit; do
    ffmpeg -v error -y -i $f.m4a -c:a pcm_s16le ${f}_ffmpeg.wav
  done
fi
if have lame; then
  lame --quiet -b 192 gapless.wav gapless.mp3
  # Three files cut at frames that are no multiple of 576, 1024 or 1152,
  # encoded as one gapless set.
  sox -R gapless.wav nogap1.wav trim 0s 50001s
  sox -R gapless.wav nogap2.wav trim 50001s 70006s
  sox -R gapless.wav nogap3.wav trim 120007s
  lame --quiet -b 192 --nogap nogap1.wav nogap2.wav nogap3.wav
  # The set laid end to end as one file: one stream, decoded without a
  # break. And the first file of the set in another folder.
  cat nogap1.mp3 nogap2.mp3 nogap3.mp3 > nogap_set.mp3
  mkdir -p elsewhere
  cp nogap1.mp3 elsewhere/
  if have ffmpeg; then
    for f in gapless nogap1 nogap2 nogap3 nogap_set; do ffmpeg -v error -y -i $f.mp3 -c:a pcm_s16le ${f}_mp3_ffmpeg.wav; done
  fi
fi

# Refused files: text under a claimed extension, empty files.
for ext in mp3 m4a wma flac; do
  for i in $(seq 2000); do echo "this is not a sound file"; done > "garbage.$ext"
done
: > empty.mp3
: > empty.flac
