"""Playback through the real program and in_wave.dll: the default sound, files
of other rates, widths and channel counts, the end of a file moving on, and
a pause longer than the ring holds."""
import math
import os
import struct
import time
import unittest
import wave

from melodek_e2e import (APP_DIR, MelodekTestCase, played_levels, wait_for, write_wav)

PAUSE, NEXT = 32774, 32777


def read_wav_frames(path):
    """(rate, frames as 16-bit stereo tuples) of a 16-bit mono or stereo WAV."""
    with wave.open(path, "rb") as w:
        rate, channels, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
        data = w.readframes(w.getnframes())
    assert width == 2
    samples = struct.unpack("<%dh" % (len(data) // 2), data)
    if channels == 1:
        return rate, [(s, s) for s in samples]
    return rate, list(zip(samples[0::2], samples[1::2]))


def sounding(frames):
    return [f for f in frames if f != (0, 0)]


def write_pcm_wav(path, rate, channels, bits, samples):
    """A PCM WAV with raw little-endian integer samples (8-bit unsigned)."""
    width = bits // 8
    body = bytearray()
    for s in samples:
        if bits == 8:
            body.append(s & 0xFF)
        else:
            body += int(s).to_bytes(width, "little", signed=True)
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(body), b"WAVE", b"fmt ", 16, 1, channels,
                         rate, rate * channels * width, channels * width, bits, b"data", len(body))
    with open(path, "wb") as f:
        f.write(header + body)


class Playback(MelodekTestCase):
    def play_and_capture(self, app, path, expected_count):
        """The first expected_count sounding frames played for one file. In the
        default mode "List" a list of one file starts again at its end, so the
        capture may hold more than one pass."""
        app.start(app.windows_path(path))
        self.assertTrue(wait_for(lambda: len(sounding(app.captured_frames())) >= expected_count, timeout=30))
        self.assertEqual(app.exit(), 0)  # closes the device: the capture is complete
        return sounding(app.captured_frames())[:expected_count]

    def test_default_sound_plays_bit_exact(self):
        app = self.melodek()
        _, source = read_wav_frames(os.path.join(APP_DIR, "default.wav"))
        self.assertEqual(self.play_and_capture(app, os.path.join(app.folder, "default.wav"),
                                               len(sounding(source))), sounding(source))

    def test_other_widths_rates_and_channel_counts(self):
        app = self.melodek()
        n = 12000
        tone = [int(9000 * math.sin(2 * math.pi * 440 * i / 48000)) or 1 for i in range(n)]
        cases = [
            # (name, rate, channels, bits, samples, expected 16-bit stereo frames)
            ("mono48k.wav", 48000, 1, 16, tone, [(s, s) for s in tone]),
            ("eight.wav", 22050, 2, 8, [(v >> 8) + 128 for s in tone for v in (s, -s)],
             [((((s >> 8) + 128) - 128) << 8, (((-s >> 8) + 128) - 128) << 8) for s in tone]),
            ("deep.wav", 44100, 2, 24, [v * 256 + 17 for s in tone for v in (s, -s)],
             [(s, -s) for s in tone]),
        ]
        for name, rate, channels, bits, samples, expected in cases:
            path = os.path.join(app.folder, name)
            write_pcm_wav(path, rate, channels, bits, samples)
            captured = self.play_and_capture(app, path, len(sounding(expected)))
            self.assertEqual(captured, sounding(expected), name)

    def test_a_real_recording_at_48000_mono(self):
        app = self.melodek()
        source = "/usr/share/sounds/alsa/Front_Center.wav"
        rate, frames = read_wav_frames(source)
        self.assertEqual(rate, 48000)
        self.assertEqual(self.play_and_capture(app, source, len(sounding(frames))), sounding(frames))

    def test_six_channels_fold_to_two_at_their_rate(self):
        app = self.melodek()
        frames = 9600
        samples = []
        for i in range(frames):
            samples += [1000, -1000, 0, 0, 0, 0]  # front left and right only
        path = os.path.join(app.folder, "six.wav")
        write_pcm_wav(path, 32000, 6, 16, samples)
        captured = self.play_and_capture(app, path, frames)
        left, right = captured[0]
        self.assertGreater(left, 0)
        self.assertLess(right, 0)
        self.assertTrue(all(f == captured[0] for f in captured))

    def test_the_end_of_a_file_plays_the_next_one(self):
        app = self.melodek()
        first, second = os.path.join(app.folder, "one.wav"), os.path.join(app.folder, "two.wav")
        write_wav(first, [(4100, -4100)] * 3000)   # shorter than one device buffer
        write_wav(second, [(4200, -4200)] * 30000)
        app.start(app.windows_path(first), app.windows_path(second))
        self.assertTrue(wait_for(lambda: 4200 in played_levels(app.captured_frames()), timeout=30))
        self.assertEqual(app.exit(), 0)
        frames = sounding(app.captured_frames())
        self.assertEqual(frames[:33000], [(4100, -4100)] * 3000 + [(4200, -4200)] * 30000)

    def test_pause_longer_than_the_ring_continues_exactly(self):
        app = self.melodek()
        path = os.path.join(app.folder, "long.wav")
        # 20 s of a counter: every frame differs, so a lost or repeated one shows.
        count = 44100 * 20
        write_wav(path, [((i % 30000) + 1, -((i % 30000) + 1)) for i in range(count)])
        app.start(app.windows_path(path))
        self.assertTrue(wait_for(lambda: len(app.captured_bytes()) > 200000, timeout=30))
        app.command(PAUSE)
        time.sleep(3.0)  # the decoder fills the ring and waits on it
        app.command(PAUSE)
        self.assertTrue(wait_for(lambda: len(sounding(app.captured_frames())) >= count, timeout=60))
        self.assertEqual(app.exit(), 0)
        captured = sounding(app.captured_frames())[:count]
        self.assertEqual(captured, [((i % 30000) + 1, -((i % 30000) + 1)) for i in range(count)])


if __name__ == "__main__":
    unittest.main()
