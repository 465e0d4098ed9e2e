"""The keyboard's media keys, pressed through SendInput: Play/Pause pauses
and resumes a playing file and plays from a stop; Next, Previous and Stop
run the menu's commands; a media key another program holds is left to it,
shown marked in the hot key list, and every other key still works."""
import array
import os
import time
import unittest

from melodek_e2e import (MelodekTestCase, hold_hot_key, probe, settings_bytes, tone_file, wait_for,
                         write_bytes)
from test_hotkey_dialogs import free_keys, rows, visible

PLAY_PAUSE, NEXT, PREV, STOP = 0xB3, 0xB0, 0xB1, 0xB2
CTRL_WIN = 10
DEFAULT_KEYS = (88, 86, 67, 90, 66, 78, 77, 188, 190, 112, 113, 114, 115)
LEVELS = (1000, 2000, 3000)


def file_runs(frames, shortest=64):
    """The files' levels in the order they played: runs of one level at
    least `shortest` frames long (a stop fades out through a level per
    frame), silence left out, a level resumed after a pause counted once."""
    runs, level, length = [], None, 0
    for left, right in frames + [(0, 0)]:
        if left == level:
            length += 1
            continue
        if level and length >= shortest and (not runs or runs[-1] != level):
            runs.append(level)
        level, length = left, 1
    return runs


class MediaKeys(MelodekTestCase):
    def start_with_list(self, app):
        """Three long tones in one list, the first current; nothing plays."""
        files = [(i + 1, app.windows_path(tone_file(os.path.join(app.folder, "tone%d.wav" % i), level,
                                                    frames=44100 * 30)), 0, 0)
                 for i, level in enumerate(LEVELS)]
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"),
                    settings_bytes(lists=[("new", files)], presets=[(0, "Default", 0, [])], sel_file_id=1))
        app.start()

    def sounding(self, app):
        data = app.captured_bytes()
        frames = array.array("I", data[:len(data) // 4 * 4])  # a 16-bit stereo frame each
        return len(frames) - frames.count(0)

    def heard(self, app, level):
        """True when a sample of that level was played."""
        data = app.captured_bytes()
        return level in array.array("h", data[:len(data) // 2 * 2])

    def growing(self, app):
        before = self.sounding(app)
        time.sleep(1.0)
        return self.sounding(app) > before

    def press(self, key):
        probe("send-keys", 0, key)

    def test_media_keys_drive_the_player(self):
        app = self.melodek()
        self.start_with_list(app)
        self.assertFalse(self.growing(app))
        self.press(PLAY_PAUSE)  # stopped: plays
        self.assertTrue(wait_for(lambda: self.sounding(app) > 0, timeout=10))
        self.press(PLAY_PAUSE)  # playing: pauses
        time.sleep(0.5)
        self.assertFalse(self.growing(app))
        self.press(PLAY_PAUSE)  # paused: resumes
        self.assertTrue(self.growing(app))
        self.press(NEXT)
        self.assertTrue(wait_for(lambda: self.heard(app, LEVELS[1]), timeout=10, interval=0.5))
        self.press(PREV)
        time.sleep(1.0)
        self.press(STOP)
        time.sleep(0.5)
        self.assertFalse(self.growing(app))
        self.press(PLAY_PAUSE)  # stopped again: plays
        self.assertTrue(self.growing(app))
        self.assertEqual(file_runs(app.captured_frames())[:3], [LEVELS[0], LEVELS[1], LEVELS[0]])
        self.assertEqual(app.exit(), 0)

    def test_a_media_key_held_elsewhere_leaves_the_others_working(self):
        app = self.melodek()
        hold_hot_key(self, app, 0, NEXT)
        self.start_with_list(app)
        # Melodek holds its twelve other keys and three media keys.
        self.assertEqual(free_keys(*[(CTRL_WIN, k) for k in DEFAULT_KEYS]), [False] * 13)
        self.assertEqual(free_keys((0, PLAY_PAUSE), (0, PREV), (0, STOP)), [False] * 3)
        probe("send-keys", CTRL_WIN, 113)  # Ctrl+Win+F2: the hot key list
        self.assertTrue(wait_for(lambda: visible("HotKeyList"), timeout=10))
        self.assertEqual(rows()[14:], [(1, "Play / Pause", "Media Play/Pause"), (0, "Next", "Media Next (in use)"),
                                       (1, "Prev", "Media Previous"), (1, "Stop", "Media Stop")])
        probe("send-keys", 0, 27)  # Escape closes the list
        self.press(PLAY_PAUSE)
        self.assertTrue(wait_for(lambda: self.sounding(app) > 0, timeout=10))
        self.press(STOP)
        time.sleep(0.5)
        self.assertFalse(self.growing(app))
        probe("send-keys", CTRL_WIN, 88)  # Ctrl+Win+X plays
        self.assertTrue(self.growing(app))
        self.assertEqual(app.exit(), 0)


if __name__ == "__main__":
    unittest.main()
