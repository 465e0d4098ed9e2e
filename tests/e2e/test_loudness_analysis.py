"""The loudness analysis end to end: the real program under Wine, a list
analysed from the editor's list pane, what the editor shows of it, and what
the settings file keeps."""
import os
import shutil
import subprocess
import time
import unittest

from melodek_e2e import (BUILD, MelodekTestCase, SettingsFile, probe, read_bytes, settings_bytes,
                         settings_extension, wait_for, write_bytes, write_text)

TRACK = 1
EDITOR, LISTS, FILES, STATUS = "PlayListEdit", 1000, 1001, 1044
DOWN, ENTER = 40, 13
PRESETS = [(0, "Default", 0, [])]


def tone_wav(path, dbfs, seconds=4, frequency=1000):
    subprocess.run(["sox", "-R", "-n", "-r", "44100", "-b", "16", "-c", "2", path, "synth", str(seconds), "sine",
                    str(frequency), "gain", str(dbfs)], check=True)
    return path


class LoudnessAnalysis(MelodekTestCase):
    def test_a_list_analysed_from_the_editor(self):
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
    unittest.main()
