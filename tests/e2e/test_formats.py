"""Compressed formats through the real program and in_mf.dll: FLAC plays
bit-exact, MP3 close to its source (a lossy codec), both for their whole
length (the encoder's delay and padding trimmed): a one-file list plays
the file again without a gap, so the second time through starts exactly
where the source does."""
import math
import os
import subprocess
import time
import unittest

from melodek_e2e import MelodekTestCase, probe, wait_for, without_gaps, write_wav


RATE = 44100
FRAMES = RATE * 3


def source_frames():
    # A chord with a slow sweep: no silent frame, nothing a codec drops.
    frames = []
    for i in range(FRAMES):
        t = i / RATE
        left = 5000 * math.sin(2 * math.pi * 440 * t) + 3000 * math.sin(2 * math.pi * (200 + 300 * t) * t)
        right = 5000 * math.sin(2 * math.pi * 660 * t) + 200
        frames.append((int(left) or 1, int(right) or 1))
    return frames


def snr_db(reference, decoded):
    signal = sum(l * l + r * r for l, r in reference)
    noise = sum((l - dl) ** 2 + (r - dr) ** 2 for (l, r), (dl, dr) in zip(reference, decoded))
    return 10 * math.log10(signal / max(noise, 1))


class Formats(MelodekTestCase):
    def play(self, name, encode):
        app = self.melodek(name)
        wav = os.path.join(app.folder, "source.wav")
        frames = source_frames()
        write_wav(wav, frames)
        path = encode(app.folder, wav)
        app.start(app.windows_path(path))
        self.assertTrue(wait_for(lambda: len(app.captured_frames()) > 2 * FRAMES + 40000, timeout=90))
        self.assertEqual(app.exit(), 0)
        captured = without_gaps(app.captured_frames())
        return frames, captured[:FRAMES], captured[FRAMES:2 * FRAMES]

    def test_flac_is_bit_exact(self):
        def encode(folder, wav):
            out = os.path.join(folder, "source.flac")
            subprocess.run(["flac", "-s", "-f", "-o", out, wav], check=True)
            return out
        frames, played, again = self.play("flac", encode)
        self.assertEqual(played, frames)
        self.assertEqual(again, frames)

    def test_mp3_keeps_length_and_sound(self):
        def encode(folder, wav):
            out = os.path.join(folder, "source.mp3")
            subprocess.run(["lame", "--quiet", "-b", "192", wav, out], check=True)
            return out
        frames, played, again = self.play("mp3", encode)
        # Lossy: 192 kbit/s MP3 of this signal measures about 30 dB against
        # its source; a misalignment of a few samples falls far below 20 dB,
        # so the second time through shows the decoded length is the source's.
        self.assertGreater(snr_db(frames, played), 20)
        self.assertGreater(snr_db(frames, again), 20)

    def test_rapid_next_across_mp3_files_leaves_nothing_behind(self):
        app = self.melodek("mp3next")
        paths = []
        for n in range(3):
            wav = os.path.join(app.folder, "s%d.wav" % n)
            write_wav(wav, [(3000 + n, -3000)] * (RATE * 2))
            paths.append(os.path.join(app.folder, "s%d.mp3" % n))
            subprocess.run(["lame", "--quiet", "-b", "128", wav, paths[-1]], check=True)
        app.start(*[app.windows_path(p) for p in paths])
        self.assertTrue(wait_for(lambda: len(app.captured_bytes()) > 100000, timeout=30))
        probe("command", 32775)  # Stop: the counts are taken at rest
        time.sleep(2.0)
        threads, handles = map(int, probe("counts")[1].split())
        probe("command", 32773)
        probe("repeat", 32777, 50)  # 50 Next commands at once
        time.sleep(3.0)
        probe("command", 32775)
        time.sleep(2.0)
        after_threads, after_handles = map(int, probe("counts")[1].split())
        self.assertLessEqual(after_threads, threads)
        # A few handles of the system's own (caches Wine opens lazily) may come.
        self.assertLessEqual(after_handles, handles + 8)
        self.assertEqual(app.exit(), 0)


if __name__ == "__main__":
    unittest.main()
