"""The settings file: written at exit, named after the program file, never
lost to a failed save, set aside when damaged; the default hot keys."""
import os
import time
import unittest

from melodek_e2e import (MelodekTestCase, SettingsFile, probe, read_bytes, wait_for, write_bytes,
                         write_text, write_wav)

DEFAULT_KEYS = [88, 86, 67, 90, 66, 78, 77, 188, 190, 112, 113, 114, 115]


class Settings(MelodekTestCase):
    def read(self, app, name="melodek.mlcfg"):
        return SettingsFile(read_bytes(os.path.join(app.folder, name)))

    def test_fresh_start_saves_the_defaults_at_exit(self):
        app = self.melodek()
        app.start()
        self.assertEqual(app.exit(), 0)
        saved = self.read(app)
        self.assertEqual(saved.mark, 16777472)
        self.assertEqual(saved.trailing, 0)
        self.assertEqual(saved.hot_keys, [(1, 10, key) for key in DEFAULT_KEYS])
        self.assertEqual(saved.plugin_folders[:2], [".", "Plugins"])
        self.assertEqual(len(saved.plugin_folders), 3)
        self.assertTrue(saved.plugin_folders[2].endswith("\\Winamp\\plugins"))
        self.assertGreater(len(saved.plugin_folders[2]), len("\\Winamp\\plugins"))
        self.assertEqual([l["name"] for l in saved.lists], ["new"])
        self.assertEqual(saved.lists[0]["files"], [])
        self.assertEqual((saved.volume, saved.volume_type, saved.volume_step), (100, 0, 1))
        self.assertEqual((saved.play_mode, saved.control_alpha), (1, 255))
        self.assertEqual(saved.presets, [{"id": 0, "name": "Default", "type": 0, "points": []}])

    def test_renamed_program_uses_its_own_name(self):
        app = self.melodek(exe_name="Player.exe")
        app.start()
        self.assertEqual(app.exit(), 0)
        self.assertTrue(os.path.exists(os.path.join(app.folder, "Player.mlcfg")))
        self.assertFalse(os.path.exists(os.path.join(app.folder, "melodek.mlcfg")))
        # What it saved is what it reads: a changed volume survives a restart.
        data = bytearray(read_bytes(os.path.join(app.folder, "Player.mlcfg")))
        data[28:32] = (37).to_bytes(4, "little")
        write_bytes(os.path.join(app.folder, "Player.mlcfg"), data)
        app.start()
        self.assertEqual(app.exit(), 0)
        self.assertEqual(self.read(app, "Player.mlcfg").volume, 37)

    def test_failed_save_keeps_the_previous_file(self):
        app = self.melodek()
        app.start()
        self.assertEqual(app.exit(), 0)
        path = os.path.join(app.folder, "melodek.mlcfg")
        data = bytearray(read_bytes(path))
        data[28:32] = (55).to_bytes(4, "little")
        write_bytes(path, data)
        before = read_bytes(path)
        # The save's temporary file cannot be created: the save fails.
        os.mkdir(path + ".tmp")
        app.start()
        self.assertEqual(app.exit(), 0)
        self.assertEqual(read_bytes(path), before)
        os.rmdir(path + ".tmp")

    def test_killed_program_leaves_the_previous_file(self):
        app = self.melodek()
        app.start()
        self.assertEqual(app.exit(), 0)
        path = os.path.join(app.folder, "melodek.mlcfg")
        before = read_bytes(path)
        app.start()
        app.kill()
        self.assertEqual(read_bytes(path), before)

    def test_damaged_file_gives_defaults_and_is_kept_aside(self):
        app = self.melodek()
        path = os.path.join(app.folder, "melodek.mlcfg")
        damaged = (16777472).to_bytes(4, "little") + b"\x00" * 10  # ends early
        write_bytes(path, damaged)
        # A text file is not imported when an archive exists, damaged or not.
        write_text(os.path.join(app.folder, "melodek.cfg"), "Volume=42\n")
        app.start()
        self.assertEqual(app.exit(), 0)
        self.assertEqual(read_bytes(path + ".damaged"), damaged)
        saved = self.read(app)
        self.assertEqual(saved.volume, 100)
        self.assertEqual([l["name"] for l in saved.lists], ["new"])

    def test_text_settings_are_imported_when_there_is_no_archive(self):
        app = self.melodek()
        write_text(os.path.join(app.folder, "melodek.cfg"),
            "Version=1\nVolume=42\nPlayList=\n[rock]\n\t12,-5,C:\\Music\\a b.mp3\n")
        app.start()
        self.assertEqual(app.exit(), 0)
        saved = self.read(app)
        self.assertEqual(saved.volume, 42)
        self.assertEqual(saved.lists[0]["name"], "rock")
        self.assertEqual(saved.lists[0]["files"][0]["path"], "C:\\Music\\a b.mp3")
        self.assertEqual(saved.lists[0]["files"][0]["id"], 12)

    def test_default_hot_keys_play_and_change_the_volume(self):
        app = self.melodek()
        song = os.path.join(app.folder, "tone.wav")
        write_wav(song, [(1000, -1000)] * 22050)
        app.start(app.windows_path(song))
        wait_for(lambda: len(app.captured_bytes()) > 0, timeout=20)
        probe("send-keys", 10, 86)  # Ctrl+Win+V: stop
        time.sleep(0.5)
        probe("send-keys", 10, 190)  # Ctrl+Win+.: volume up by the step
        probe("send-keys", 10, 190)
        probe("send-keys", 10, 188)  # Ctrl+Win+,: down
        probe("send-keys", 10, 88)   # Ctrl+Win+X: play again
        time.sleep(1.0)
        self.assertEqual(app.exit(), 0)
        saved = self.read(app)
        self.assertEqual(saved.volume, 101)
        frames = [f for f in app.captured_frames() if f != (0, 0)]
        # Played twice: at 100 % and, after the keys, at 101 % (multiplier
        # 16547: samples times it, shifted right by 14).
        multiplier = int(101 * 0.01 * 16384)
        self.assertIn((1000, -1000), frames)
        self.assertIn(((1000 * multiplier) >> 14, (-1000 * multiplier) >> 14), frames)


if __name__ == "__main__":
    unittest.main()
