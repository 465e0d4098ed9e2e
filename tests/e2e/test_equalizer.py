"""A file's equalizer preset acts on what it plays: a cut band is attenuated
in the captured sound, the other bands pass unchanged."""
import math
import os
import unittest

from melodek_e2e import (MelodekTestCase, settings_bytes, tone_level, wait_for, without_gaps, write_bytes,
                         write_wav)

OCTAVE_BANDS = [31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000]


def bins(hertz):
    return hertz * 0.18575963718820862


class Equalizer(MelodekTestCase):
    def play_tones(self, rate):
        app = self.melodek("eq%d" % rate)
        frames = rate * 2
        path = os.path.join(app.folder, "tones.wav")
        write_wav(path, [(int(6000 * math.sin(2 * math.pi * 1000 * i / rate) +
                              6000 * math.sin(2 * math.pi * 4000 * i / rate)),) * 2 for i in range(frames)],
                  rate=rate)
        cut = [(bins(f), 0.0 if f == 1000 else 1.0) for f in OCTAVE_BANDS]
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"), settings_bytes(
            lists=[("eq", [(7, app.windows_path(path), 0, 5)])],
            presets=[(0, "Default", 0, []), (5, "no 1k", 3, cut)],
            sel_file_id=7))
        app.start()
        app.command(32773)  # Play: the current file, with its preset
        self.assertTrue(wait_for(lambda: len(app.captured_frames()) > frames + 40000, timeout=30))
        self.assertEqual(app.exit(), 0)
        # Wine plays silence of its own when a buffer comes late on a busy
        # machine: such gaps are left out before measuring (single silent
        # frames are the tones' own zero crossings and stay).
        sounding = [l for l, _ in without_gaps(app.captured_frames())]
        # Every quarter second of the first pass, from the very start: a
        # glitch anywhere (a block's padding played) shows as a weaker tone.
        quarter = rate // 4
        return [(tone_level(sounding[at:at + quarter], 1000, rate), tone_level(sounding[at:at + quarter], 4000, rate))
                for at in range(0, frames, quarter)]

    def test_cut_band_is_attenuated_at_44100_and_48000(self):
        for rate in (44100, 48000):
            for n, (at1000, at4000) in enumerate(self.play_tones(rate)):
                self.assertLess(20 * math.log10(max(at1000, 1e-3) / 6000), -20, (rate, n))
                self.assertAlmostEqual(20 * math.log10(at4000 / 6000), 0, delta=1.0, msg=(rate, n))


if __name__ == "__main__":
    unittest.main()
