#!/usr/bin/env python3
"""Writes Melodek's default sound: three seconds of a soft rising chime
(C major arpeggio of bell-like tones, spread across the stereo field, with a
gentle fade in and out) as a 44100 Hz 16-bit stereo WAV file.

Usage: make_default_sound.py <out.wav>
The output is deterministic: the same bytes on every run.
"""
import math
import struct
import sys
import wave

RATE = 44100
SECONDS = 3.0
PEAK = 0.45  # about -7 dBFS: pleasant, never loud
FADE_IN = 0.02
FADE_OUT = 0.6

# (start second, frequency Hz, pan -1..1, loudness)
NOTES = (
    (0.00, 523.25, -0.45, 1.00),  # C5
    (0.22, 659.26, -0.15, 0.85),  # E5
    (0.44, 783.99, 0.15, 0.80),   # G5
    (0.66, 1046.50, 0.45, 0.70),  # C6
    (1.10, 783.99, 0.00, 0.45),   # G5 again, softly
)
# Bell-like partials: (frequency ratio, amplitude, decay per second)
PARTIALS = ((1.0, 1.0, 1.6), (2.0, 0.28, 3.0), (3.0, 0.08, 4.5))
ATTACK = 0.006  # seconds: avoids clicks at each note start


def render():
    frames = int(RATE * SECONDS)
    left = [0.0] * frames
    right = [0.0] * frames
    for start, freq, pan, loud in NOTES:
        # Constant-power pan.
        angle = (pan + 1.0) * math.pi / 4.0
        gain_l, gain_r = math.cos(angle) * loud, math.sin(angle) * loud
        first = int(start * RATE)
        for i in range(first, frames):
            t = (i - first) / RATE
            env = min(1.0, t / ATTACK)
            v = 0.0
            for ratio, amp, decay in PARTIALS:
                v += amp * math.exp(-decay * t) * math.sin(2.0 * math.pi * freq * ratio * t)
            v *= env
            left[i] += v * gain_l
            right[i] += v * gain_r
    peak = max(max(abs(x) for x in left), max(abs(x) for x in right))
    scale = PEAK / peak
    out = bytearray()
    for i in range(frames):
        t = i / RATE
        fade = min(1.0, t / FADE_IN, (SECONDS - t) / FADE_OUT)
        # Raised-cosine shape for the fades.
        fade = 0.5 - 0.5 * math.cos(math.pi * max(0.0, fade))
        for x in (left[i], right[i]):
            s = int(round(x * scale * fade * 32767))
            out += struct.pack("<h", max(-32768, min(32767, s)))
    return bytes(out)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_default_sound.py <out.wav>\n")
        return 2
    pcm = render()
    with wave.open(sys.argv[1], "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm)
    return 0


if __name__ == "__main__":
    sys.exit(main())
