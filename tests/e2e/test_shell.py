"""The shell: command-line files, the hand-over from a second start over DDE,
the tray icon and its menu, hot keys."""
import os
import subprocess
import time
import unittest

from melodek_e2e import (MelodekTestCase, SettingsFile, dde_client, level_runs, played_levels, probe, read_bytes,
                         tone_file, tray_icon_centre, tray_icon_shown, wait_for, window_when_made, write_text)

EXIT, PLAY, STOP, PAUSE, PREV, NEXT = 57665, 32773, 32775, 32774, 32776, 32777
LIST_PREV, LIST_NEXT, CONTROLLER = 32784, 32783, 32781


class Shell(MelodekTestCase):
    def saved(self, app):
        return SettingsFile(read_bytes(os.path.join(app.folder, "melodek.mlcfg")))

    def head_paths(self, app, count):
        return [f["path"] for f in self.saved(app).lists[0]["files"][:count]]

    def tones(self, app, *levels):
        return [tone_file(os.path.join(app.folder, "t%d.wav" % level), level) for level in levels]

    def second_start(self, app, *args):
        """Starts another copy with a command line; returns its exit code and
        how many top-level windows it made (none: it only hands over). The
        first copy's title display, made with its first title, is not
        counted."""
        def windows():
            return int(probe("count-windows")[1]) - (probe("title-window")[0] == 0)
        before = windows()
        # What Wine itself says of a start that fails stays in the test's folder.
        with open(os.path.join(app.folder, "second-starts.log"), "a") as log:
            log.write("== %r\n" % (args,))
            log.flush()
            code = subprocess.run(["wine", app.exe, *args], cwd=app.folder, env=app.env,
                                  stdout=log, stderr=log, timeout=60).returncode
            log.write("== exit code %d\n" % code)
        return code, before, windows()

    def test_command_line_file_goes_to_the_head_of_new_and_plays(self):
        app = self.melodek()
        (a,) = self.tones(app, 1000)
        app.start(app.windows_path(a))
        self.assertTrue(wait_for(lambda: 1000 in played_levels(app.captured_frames())))
        self.assertEqual(app.exit(), 0)
        saved = self.saved(app)
        self.assertEqual(saved.lists[0]["name"], "new")
        self.assertEqual([f["path"] for f in saved.lists[0]["files"]], [app.windows_path(a)])
        self.assertEqual(saved.lists[0]["files"][0]["title"], "t1000")  # the player's title

    def test_second_start_hands_over_quoted_and_unquoted_paths(self):
        app = self.melodek()
        a, b, c, d = self.tones(app, 1100, 1200, 1300, 1400)
        app.start()
        code, before, after = self.second_start(app, app.windows_path(a), app.windows_path(b))
        self.assertEqual(code, 0)
        self.assertEqual(before, after)  # the second copy made no window
        self.assertTrue(wait_for(lambda: 1100 in played_levels(app.captured_frames())))
        # Unquoted, several spaces apart: wine passes the text as typed.
        subprocess.run(["wine", "cmd", "/c", app.exe + " " + app.windows_path(c) + "    " + app.windows_path(d)],
                       cwd=app.folder, env=app.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        self.assertTrue(wait_for(lambda: 1300 in played_levels(app.captured_frames())))
        self.assertEqual(app.exit(), 0)
        self.assertEqual(self.head_paths(app, 4), [app.windows_path(p) for p in (c, d, a, b)])

    def test_m3u_folder_unterminated_quote_and_empty_hand_over(self):
        app = self.melodek()
        a, b, c = self.tones(app, 2100, 2200, 2300)
        m3u = os.path.join(app.folder, "list.m3u")
        write_text(m3u, "#EXTM3U\n#EXTINF:1,x\n\n%s\n%s\n%s\n" % tuple(app.windows_path(p) for p in (a, b, c)))
        app.start()
        self.assertEqual(self.second_start(app, app.windows_path(m3u))[0], 0)
        self.assertTrue(wait_for(lambda: 2300 in played_levels(app.captured_frames())))
        self.assertEqual(played_levels(app.captured_frames())[0], 2300)  # C plays
        folder = os.path.join(app.folder, "music")
        os.makedirs(os.path.join(folder, "sub"))
        tone_file(os.path.join(folder, "sub", "deep.wav"), 2400)
        self.assertEqual(self.second_start(app, app.windows_path(folder))[0], 0)
        self.assertTrue(wait_for(lambda: 2400 in played_levels(app.captured_frames())))  # the folder's file plays
        # No closing quote. Wine quotes a start's arguments itself, so the
        # text goes over the channel exactly as a second start sends it.
        self.assertEqual(dde_client("poke", "melodek", "TEXT", '"' + app.windows_path(a))[0], 0)
        self.assertEqual(self.second_start(app)[0], 0)  # no arguments: plays list 0, file 0
        self.assertEqual(app.exit(), 0)
        paths = [f["path"] for f in self.saved(app).lists[0]["files"]]
        deep = os.path.join(folder, "sub", "deep.wav")
        self.assertEqual(paths[:5], [""] + [app.windows_path(p) for p in (deep, c, b, a)])

    def test_dde_window_request_and_refused_pokes(self):
        app = self.melodek()
        app.start()
        main = probe("main-window")[1]
        for item in ("DATA_ITEM", "anything"):
            code, text = dde_client("request", "melodek", "HWND", item)
            self.assertEqual(code, 0)
            self.assertEqual(text, main)
        self.assertNotEqual(dde_client("poke", "melodek", "MESSAGE", "x.wav")[0], 0)
        self.assertNotEqual(dde_client("poke", "melodek", "HWND", "x.wav")[0], 0)
        self.assertEqual(dde_client("poke", "melodek", "TEXT", "y.wav")[0], 0)
        self.assertEqual(app.exit(), 0)
        self.assertEqual(self.head_paths(app, 1), ["y.wav"])

    def test_tray_menu_icon_and_shell_restart(self):
        app = self.melodek()
        a, b = self.tones(app, 3100, 3200)
        app.start(app.windows_path(a))
        dde_client("poke", "melodek", "TEXT", app.windows_path(b))  # list: b, a
        self.assertTrue(wait_for(lambda: 3200 in played_levels(app.captured_frames())))
        for command in (STOP, NEXT, PREV, PAUSE, PAUSE, LIST_NEXT, LIST_PREV, PLAY):
            self.assertTrue(app.command(command))
        self.assertTrue(wait_for(lambda: 3100 in played_levels(app.captured_frames())))
        # The icon's callback messages as the shell sends them (UM_TRAY_NOTIFY).
        # The Controller's caption follows the title: it is found by its controls.
        # It is made the first time it is needed: here, at the click.
        self.assertNotEqual(probe("controller")[0], 0)
        probe("message", 0x400 + 100, 0, 0x201)  # WM_LBUTTONDOWN
        controller = window_when_made("controller")

        def controller_shown():
            return probe("window-info", controller)[1].startswith("1")

        self.assertTrue(wait_for(controller_shown, timeout=10))
        app.command(CONTROLLER)
        self.assertTrue(wait_for(lambda: not controller_shown(), timeout=10))
        # A real click on the icon in Wine's tray window.
        probe("click", *tray_icon_centre())
        self.assertTrue(wait_for(controller_shown, timeout=10))
        # A restarted shell announces itself with a registered message: the icon comes back.
        probe("message", 0xC123, 0, 0)
        time.sleep(0.5)
        self.assertIsNone(app.process.poll())
        self.assertEqual(app.exit(), 0)

    def test_hot_keys_drive_playback_while_a_modal_dialog_is_open(self):
        app = self.melodek()
        # Long enough that no file ends by itself during the test.
        a = tone_file(os.path.join(app.folder, "a.wav"), 5100, frames=44100 * 30)
        b = tone_file(os.path.join(app.folder, "b.wav"), 5200, frames=44100 * 30)
        app.start(app.windows_path(a), app.windows_path(b))
        self.assertTrue(wait_for(lambda: level_runs(app.captured_frames())[-1:] == [5100]))
        app.command(32782)  # "Config...": a modal dialog
        self.assertTrue(wait_for(lambda: probe("visible", "Config")[0] == 0, timeout=10))

        def key_then(vk, expected_last):
            probe("send-keys", 10, vk)
            return wait_for(lambda: level_runs(app.captured_frames())[-1:] == [expected_last], timeout=15)

        self.assertTrue(key_then(66, 5200))  # Ctrl+Win+B: Next
        self.assertTrue(key_then(90, 5100))  # Ctrl+Win+Z: Prev
        self.assertTrue(key_then(66, 5200))
        self.assertTrue(key_then(77, 5100))  # Ctrl+Win+M: List Next, the first file of the only list
        probe("send-keys", 10, 86)  # Ctrl+Win+V: Stop
        time.sleep(1.0)
        stopped = len(app.captured_bytes())
        time.sleep(1.0)
        self.assertEqual(len(app.captured_bytes()), stopped)
        probe("send-keys", 10, 190)  # Volume Up, Up, Down
        probe("send-keys", 10, 190)
        probe("send-keys", 10, 188)
        louder = (5100 * int(101 * 0.01 * 16384)) >> 14
        self.assertTrue(key_then(88, louder))  # Ctrl+Win+X: Play, now at 101 %
        probe("send-keys", 10, 67)  # Ctrl+Win+C: Pause (the device goes on with silence)
        time.sleep(1.0)
        paused = len([f for f in app.captured_frames() if f != (0, 0)])
        time.sleep(1.0)
        self.assertEqual(len([f for f in app.captured_frames() if f != (0, 0)]), paused)
        probe("send-keys", 10, 67)
        self.assertTrue(wait_for(lambda: len([f for f in app.captured_frames() if f != (0, 0)]) > paused))
        self.assertTrue(probe("visible", "Config")[0] == 0)  # the dialog stayed open throughout
        # Exit cancels the dialog, saves and ends; the tray icon goes with it.
        self.assertEqual(app.exit(), 0)
        self.assertEqual(self.saved(app).volume, 101)
        self.assertFalse(tray_icon_shown())


if __name__ == "__main__":
    unittest.main()
