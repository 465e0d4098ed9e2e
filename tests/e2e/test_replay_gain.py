"""ReplayGain and the loudness analysis end to end: the real program under
Wine, files tagged by standard tools (metaflac, ffmpeg's replaygain filter
with mid3v2's TXXX frames), a RIFF "id3 " chunk, the scripted test plug-in's
extended file information, and the editor's "Analyze Loudness"; checked by
the levels of the captured sound and the saved settings."""
import math
import os
import re
import shutil
import struct
import subprocess
import time

from melodek_e2e import (BUILD, MelodekTestCase, SettingsFile, probe, read_bytes, settings_bytes,
                         settings_extension, tone_level, wait_for, write_bytes, write_text, write_wav)

OFF, TRACK, ALBUM = 0, 1, 2
EDITOR, LISTS, FILES, STATUS = "PlayListEdit", 1000, 1001, 1044
DOWN, ENTER = 40, 13
PRESETS = [(0, "Default", 0, [])]


def run(*args):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT).stdout.decode()


def tone_wav(path, dbfs, seconds=4, frequency=1000):
    run("sox", "-R", "-n", "-r", "44100", "-b", "16", "-c", "2", path, "synth", str(seconds), "sine",
        str(frequency), "gain", str(dbfs))
    return path


def sounding(frames):
    return [f for f in frames if f != (0, 0)]


def rms_db(frames):
    left = [l for l, _ in frames]
    return 20 * math.log10(math.sqrt(sum(v * v for v in left) / len(left)) / 32768)


def id3v23(*frames):
    """An ID3v2.3 tag of (frame id, Latin-1 body after the encoding byte)."""
    body = b"".join(fid + struct.pack(">IH", len(text) + 1, 0) + b"\0" + text for fid, text in frames)
    size = len(body)
    return b"ID3\x03\x00\x00" + bytes([(size >> 21) & 0x7F, (size >> 14) & 0x7F, (size >> 7) & 0x7F,
                                       size & 0x7F]) + body


class ReplayGain(MelodekTestCase):
    def level(self, app, path, replaygain, extra_plugins=()):
        """The level (dB of full scale, left channel RMS) at which one file
        plays under the given ReplayGain settings, from its second second."""
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"),
                    settings_bytes([("L", [])], PRESETS) + settings_extension(replaygain=replaygain))
        for plugin in extra_plugins:
            shutil.copy(plugin, os.path.join(app.folder, "Plugins"))
        app.start(app.windows_path(path))
        self.assertTrue(wait_for(lambda: len(sounding(app.captured_frames())) >= 2 * 44100, timeout=40), path)
        self.assertEqual(app.exit(), 0)
        return rms_db(sounding(app.captured_frames())[44100:2 * 44100])

    def test_tagged_files_play_at_one_level_in_track_mode(self):
        app = self.melodek()
        quiet, loud = (os.path.join(app.folder, n) for n in ("quiet.flac", "loud.flac"))
        for path, dbfs in ((quiet, -20), (loud, -3)):
            run("flac", "-s", "-f", tone_wav(path[:-5] + ".wav", dbfs), "-o", path)
        # One call: both files are one album too.
        run("metaflac", "--add-replay-gain", quiet, loud)
        levels = {mode: [self.level(app, p, (mode, 0, 0, 1)) for p in (quiet, loud)] for mode in (TRACK, OFF, ALBUM)}
        self.assertLess(abs(levels[TRACK][0] - levels[TRACK][1]), 0.1, levels)
        self.assertAlmostEqual(levels[OFF][1] - levels[OFF][0], 17.0, delta=0.1)
        self.assertAlmostEqual(levels[ALBUM][1] - levels[ALBUM][0], 17.0, delta=0.1)
        # Album mode moved both by the same album gain.
        self.assertAlmostEqual(levels[ALBUM][0] - levels[OFF][0], levels[ALBUM][1] - levels[OFF][1], delta=0.1)

        # MP3 with TXXX frames: the gains of ffmpeg's ReplayGain scanner, written by mid3v2.
        mp3s = []
        for name, dbfs in (("quiet.mp3", -20), ("loud.mp3", -3)):
            path = os.path.join(app.folder, name)
            run("lame", "--quiet", "-b", "192", tone_wav(path[:-4] + "m.wav", dbfs), path)
            scan = run("ffmpeg", "-nostats", "-i", path, "-af", "replaygain", "-f", "null", "-")
            gain = re.search(r"track_gain = ([-+0-9.]+) dB", scan).group(1)
            peak = re.search(r"track_peak = ([0-9.]+)", scan).group(1)
            run("mid3v2", "--TXXX", "REPLAYGAIN_TRACK_GAIN:%s dB" % gain, "--TXXX", "REPLAYGAIN_TRACK_PEAK:" + peak,
                path)
            mp3s.append(path)
        quiet_db, loud_db = (self.level(app, p, (TRACK, 0, 0, 1)) for p in mp3s)
        self.assertLess(abs(quiet_db - loud_db), 0.1)

    def test_prevent_clipping_holds_full_scale_and_off_saturates(self):
        app = self.melodek()
        path = os.path.join(app.folder, "hot.wav")
        amplitude = 0.9 * 32767
        frames = [(int(round(amplitude * math.sin(2 * math.pi * 1000 * i / 44100))),) * 2 for i in range(3 * 44100)]
        write_wav(path, frames)
        # The tags ride in a RIFF "id3 " chunk, which in_wave.dll reads.
        tag = id3v23((b"TXXX", b"REPLAYGAIN_TRACK_GAIN\0+12.00 dB"), (b"TXXX", b"REPLAYGAIN_TRACK_PEAK\0" b"0.900000"))
        data = bytearray(read_bytes(path)) + b"id3 " + struct.pack("<I", len(tag)) + tag + b"\0" * (len(tag) & 1)
        struct.pack_into("<I", data, 4, len(data) - 8)
        write_bytes(path, bytes(data))
        source_db = rms_db(frames[44100:2 * 44100])
        held = self.level(app, path, (TRACK, 0, 0, 1))
        # Lowered to 1 / peak: about +0.9 dB, not +12 dB.
        self.assertAlmostEqual(held - source_db, -20 * math.log10(0.9), delta=0.1)
        played = sounding(app.captured_frames())
        self.assertLessEqual(max(abs(l) for l, _ in played), 32767)

        self.level(app, path, (TRACK, 0, 0, 0))
        played = [l for l, _ in sounding(app.captured_frames())[44100:2 * 44100]]
        self.assertEqual(max(played), 32767)
        self.assertEqual(min(played), -32768)
        # Saturated, not wrapped: a wrapped sample would jump by about 65536.
        self.assertLess(max(abs(a - b) for a, b in zip(played, played[1:])), 40000)

    def test_a_third_party_plug_ins_values_are_used(self):
        app = self.melodek()
        plugin = os.path.join(BUILD, "testplugins", "in_mtest.dll")
        log = os.path.join(app.folder, "mtest.log")
        script = os.path.join(app.folder, "half.mtest")
        write_text(script, "pattern=const:16000\nframes=132300\nlog=%s\ninfo_replaygain_track_gain=-6.0206 dB\n"
                   % app.windows_path(log))
        self.assertAlmostEqual(self.level(app, script, (TRACK, 0, 0, 1), [plugin]), 20 * math.log10(8000 / 32768),
                               delta=0.01)
        self.assertIn("ExtendedFileInfo replaygain_track_gain", read_bytes(log).decode())
        self.assertAlmostEqual(self.level(app, script, (OFF, 0, 0, 1), [plugin]), 20 * math.log10(16000 / 32768),
                               delta=0.01)
        # A value without its terminator is cut at the host's buffer and
        # does not parse: the file counts as untagged (+3 dB for those here).
        write_text(script, "pattern=const:8000\nframes=132300\ninfo_unterminated\n"
                   "info_replaygain_track_gain=-6.02 dB\n")
        self.assertAlmostEqual(self.level(app, script, (TRACK, 0, 300, 1), [plugin]),
                               20 * math.log10(8000 * 10 ** (3 / 20) / 32768), delta=0.01)


class LoudnessAnalysis(MelodekTestCase):
    def test_files_analysed_in_the_editor_play_at_one_level(self):
        app = self.melodek()
        quiet = tone_wav(os.path.join(app.folder, "quiet.wav"), -25, seconds=30)
        loud = tone_wav(os.path.join(app.folder, "loud.wav"), -10, seconds=30)
        script = os.path.join(app.folder, "script.mtest")
        write_text(script, "pattern=sine\n")
        shutil.copy(os.path.join(BUILD, "testplugins", "in_mtest.dll"), os.path.join(app.folder, "Plugins"))
        files = [(1, app.windows_path(quiet), 0, 0), (2, app.windows_path(loud), 0, 0),
                 (3, app.windows_path(script), 0, 0)]
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"),
                    settings_bytes([("L", files)], PRESETS, sel_file_id=1, play_mode=4) +
                    settings_extension(replaygain=(TRACK, 0, 0, 1)))
        app.start()
        probe("send-keys", 10, 112)  # Ctrl+Win+F1: the editor
        self.assertTrue(wait_for(lambda: probe("visible", EDITOR)[0] == 0, timeout=15))
        time.sleep(0.5)
        # The list pane's menu: the whole list.
        code, text = probe("list-row-rect", EDITOR, LISTS, 0)
        left, top, right, bottom = (int(v) for v in text.split())
        probe("click", left + 10, (top + bottom) // 2, "right")
        self.assertTrue(wait_for(lambda: probe("menu-window")[0] == 0, timeout=10), "list menu")
        probe("send-keys", 0, DOWN)
        probe("send-keys", 0, ENTER)
        self.assertTrue(wait_for(lambda: probe("text", EDITOR, STATUS)[1].startswith("Loudness measured"),
                                 timeout=120), probe("text", EDITOR, STATUS)[1])
        self.assertEqual(probe("text", EDITOR, STATUS)[1],
                         "Loudness measured: 2 of 3; skipped: script.mtest (no extended read)")
        self.assertTrue(probe("row-text", EDITOR, FILES, 0, 3)[1].endswith("LUFS"))

        # Each played (One Repeat keeps it playing) and heard: 15 dB apart
        # before, the same level now.
        levels = {}
        for row in (0, 1):
            code, text = probe("list-row-rect", EDITOR, FILES, row)
            left, top, right, bottom = (int(v) for v in text.split())
            before = len(app.captured_frames())
            probe("double-click", left + 30, (top + bottom) // 2)
            self.assertTrue(wait_for(lambda: len(app.captured_frames()) > before + 3 * 44100, timeout=30))
            # From its third second on only this file sounds.
            heard = [l for l, _ in app.captured_frames()[before + 2 * 44100:before + 3 * 44100]]
            levels[row] = tone_level(heard, 1000, 44100)
        self.assertLess(abs(20 * math.log10(levels[0] / levels[1])), 0.2, levels)

        # Saved with the entries; an entry deleted from every list loses its record.
        self.assertEqual(app.exit(), 0)
        saved = SettingsFile(read_bytes(os.path.join(app.folder, "melodek.mlcfg")))
        loudness = saved.loudness()
        self.assertEqual(sorted(loudness), [1, 2])
        self.assertAlmostEqual(loudness[2][0] - loudness[1][0], 15.0, delta=0.1)
        self.assertIsNotNone(loudness[1][2])  # one folder: one album
        files = [(2, app.windows_path(loud), 0, 0)]
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"),
                    settings_bytes([("L", files)], PRESETS, sel_file_id=2) +
                    settings_extension(loudness=[(1, -27.0, 0.1), (2, -12.0, 0.5)]))
        app.start()
        self.assertEqual(app.exit(), 0)
        self.assertEqual(sorted(SettingsFile(read_bytes(os.path.join(app.folder, "melodek.mlcfg"))).loudness()), [2])


if __name__ == "__main__":
    import unittest
    unittest.main()
