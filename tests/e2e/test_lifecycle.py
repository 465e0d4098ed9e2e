"""Melodek starts, stays resident with its player thread, and ends on Exit."""
import time
import unittest

import os

from melodek_e2e import MelodekTestCase, probe, read_bytes, tone_file, wait_for


class Lifecycle(MelodekTestCase):
    def test_stays_resident_until_exit(self):
        app = self.melodek()
        app.start()
        time.sleep(1.0)  # it must still be there after a while
        self.assertIsNone(app.process.poll())
        self.assertEqual(probe("main-window")[0], 0)
        started = time.monotonic()
        self.assertEqual(app.exit(), 0)
        self.assertLess(time.monotonic() - started, 15)
        self.assertEqual(probe("wait-exit", 5000)[0], 0)

    def test_unknown_hot_key_id_and_commands_do_not_end_it(self):
        app = self.melodek()
        app.start()
        for command in (32773, 32775, 32774, 32776, 32777, 32784, 32783, 32781, 32781, 40000):
            self.assertTrue(app.command(command))
        probe("message", 0x0312, 13, 0)  # WM_HOTKEY with an id outside the table
        time.sleep(0.5)
        self.assertIsNone(app.process.poll())
        self.assertEqual(app.exit(), 0)

    def test_startup_timeline_only_when_asked(self):
        app = self.melodek()
        times = os.path.join(app.folder, "times.txt")
        app.env["MELODEK_STARTUP_TIMES"] = app.windows_path(times)
        app.start()
        self.assertTrue(wait_for(lambda: b"library loaded: in_wave.dll" in read_bytes(times)))
        lines = [line.rsplit(", ", 1) for line in read_bytes(times).decode().splitlines()]
        ms = {step: float(value) for step, value in reversed(lines)}  # the first of each step
        self.assertTrue(lines[0][0].startswith("process created (Unix time "))
        order = ["WinMain entered", "settings read", "player thread started", "main dialog made", "tray icon added",
                 "hot keys registered", "plug-in scan begins", "library loaded: in_wave.dll"]
        self.assertEqual([ms[step] for step in order], sorted(ms[step] for step in order))
        self.assertGreater(ms["WinMain entered"], 0)
        self.assertEqual(app.exit(), 0)
        # A file that cannot be made: the start goes on as usual, writing nothing.
        app.env["MELODEK_STARTUP_TIMES"] = app.windows_path(os.path.join(app.folder, "none", "times.txt"))
        app.start()
        self.assertEqual(app.exit(), 0)
        self.assertFalse(os.path.exists(os.path.join(app.folder, "none")))

    def test_exit_while_files_keep_starting(self):
        # A file shorter than a buffer in mode "List": the player thread
        # starts it again and again, telling the windows each time, while
        # Exit waits for that thread.
        app = self.melodek()
        short = tone_file(os.path.join(app.folder, "short.wav"), 700, frames=2000)
        for _ in range(3):
            app.start(app.windows_path(short))
            time.sleep(1.0)
            self.assertEqual(app.exit(timeout=20), 0)

    def test_plugin_messages_to_the_main_window_get_zero(self):
        app = self.melodek()
        app.start()
        for code in (0, 3025, 251, 104):  # WM_USER with service requests a plug-in may send
            self.assertEqual(probe("send", 0x400, 0, code), (0, "0"))
        self.assertEqual(probe("send", 0x401, 0, 0), (0, "0"))
        self.assertEqual(app.exit(), 0)


if __name__ == "__main__":
    unittest.main()
