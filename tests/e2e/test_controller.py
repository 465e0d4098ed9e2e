"""The Controller window and the on-screen title display, driven with real
mouse and key input: caption, seek and volume sliders, play list menu,
buttons, Escape and the hot key, saved position and transparency, and the
title display's fade."""
import array
import os
import struct
import subprocess
import time
import unittest

from melodek_e2e import (TOOLS_DIR, MelodekTestCase, SettingsFile, level_runs, probe, read_bytes, settings_bytes,
                         tone_file, wait_for, window_when_made, write_bytes)

CONTROLLER, CONFIG = 32781, 32782
SEEK, VOLUME, DB_CHECK = 1021, 1032, 1016
BUTTONS = {"prev": 1014, "play": 1012, "pause": 1015, "stop": 1016, "next": 1017, "list_prev": 1019,
           "list_next": 1020}
VK_ESCAPE, VK_RETURN, VK_DOWN, VK_RIGHT, VK_HOME, VK_F4, VK_PERIOD = 0x1B, 0x0D, 0x28, 0x27, 0x24, 0x73, 0xBE
CTRL_WIN = 0x2 | 0x8
BUFFER_MS = 186  # one output buffer: 32768 bytes of 44100 Hz 16-bit stereo
SCREEN = (1280, 800)


def clock_wav(path, seconds):
    """A stereo WAV whose level tells where in the file it was: 1 + the
    position in hundredths of a second (right channel negated)."""
    frames = array.array("h")
    for i in range(44100 * seconds):
        level = 1 + i // 441
        frames.extend((level, -level))
    data = frames.tobytes()
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ", 16, 1, 2, 44100,
                         176400, 4, 16, b"data", len(data))
    write_bytes(path, header + data)
    return path


def window_info(window):
    """(visible, (left, top, right, bottom), layered, alpha, caption, topmost)."""
    code, text = probe("window-info", window)
    if code != 0:
        return None
    first, _, caption = text.partition("\n")
    v, l, t, r, b, layered, alpha, topmost = map(int, first.split())
    return bool(v), (l, t, r, b), bool(layered), alpha, caption.strip(), bool(topmost)


def visible(window):
    """Whether the window is visible; None when the probe could not read it
    (seen once on a loaded machine with the Controller shown): waits poll on."""
    info = window_info(window)
    return None if info is None else info[0]


def trackbar(window, control):
    """(min, max, position, [ticks])."""
    values = list(map(int, probe("trackbar", window, control)[1].split()))
    return values[0], values[1], values[2], values[3:]


def rect_of(window, control):
    return tuple(map(int, probe("control-rect", window, control)[1].split()))


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def click(x, y):
    probe("mouse", "down", x, y)
    probe("mouse", "up", x, y)


def right_click(x, y):
    probe("mouse", "rdown", x, y)
    probe("mouse", "rup", x, y)


def jumps(frames, at_least=50):
    """(from, to) level pairs where a clock file's level jumped."""
    runs = level_runs(frames)
    return [(a, b) for a, b in zip(runs, runs[1:]) if abs(b - a) >= at_least]


class ControllerWindow(MelodekTestCase):
    def show_controller(self, app):
        """Shows the Controller with its command; its window is made then."""
        code, window = probe("controller")
        if code != 0 or not window_info(window)[0]:
            app.command(CONTROLLER)
            window = window_when_made("controller", timeout=20)
        self.assertTrue(wait_for(lambda: visible(window) is True), "the Controller was not shown")
        return window

    def caption(self, window):
        return window_info(window)[4]

    def test_caption_seek_by_mouse_and_keys(self):
        app = self.melodek()
        song = clock_wav(os.path.join(app.folder, "clock.wav"), 150)
        app.start()
        window = self.show_controller(app)
        self.assertEqual(self.caption(window), "Controller")
        # The caption follows the title within 100 ms of the title display showing it.
        watch = subprocess.Popen(["wine", os.path.join(TOOLS_DIR, "probe.exe"), "watch-caption", window, "20000"],
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        subprocess.run(["wine", app.exe, app.windows_path(song)], cwd=app.folder, env=app.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        delay, _, title = watch.communicate(timeout=60)[0].decode().strip().partition(" ")
        self.assertEqual(title, "clock")
        self.assertLessEqual(int(delay), 100)
        self.assertEqual(self.caption(window), "clock")

        # The range is the file's length; the thumb follows the playing position.
        low, high, first, _ = trackbar(window, SEEK)
        self.assertEqual((low, high), (0, 150000))
        self.assertTrue(wait_for(lambda: trackbar(window, SEEK)[2] > first))

        # Press the thumb, hold it still for a second: it stays put.
        slider = rect_of(window, SEEK)
        x, y = map(int, probe("thumb", window, SEEK)[1].split())
        probe("mouse", "down", x, y)
        held = trackbar(window, SEEK)[2]
        time.sleep(1.0)
        self.assertEqual(trackbar(window, SEEK)[2], held)
        # Move it to three quarters and release there: the sound continues from there.
        release_x = slider[0] + (slider[2] - slider[0]) * 3 // 4
        probe("mouse", "move", release_x, y)
        self.assertTrue(wait_for(lambda: trackbar(window, SEEK)[2] > 100000))
        target = trackbar(window, SEEK)[2]
        probe("mouse", "up", release_x, y)
        self.assertTrue(wait_for(lambda: jumps(app.captured_frames())))
        before, after = jumps(app.captured_frames())[0]
        self.assertLess(before, 10000)
        self.assertLessEqual(abs(after * 10 - target), BUFFER_MS)

        # Keys on the focused slider: Home seeks to the start, Right five seconds on.
        probe("send-keys", 0, VK_HOME)
        self.assertTrue(wait_for(lambda: len(jumps(app.captured_frames())) >= 2))
        self.assertLessEqual(jumps(app.captured_frames())[1][1] * 10, BUFFER_MS)
        time.sleep(0.3)
        probe("send-keys", 0, VK_RIGHT)
        self.assertTrue(wait_for(lambda: len(jumps(app.captured_frames())) >= 3))
        before, after = jumps(app.captured_frames())[2]
        self.assertAlmostEqual((after - before) * 10, 5000, delta=2 * BUFFER_MS)
        self.assertEqual(app.exit(), 0)

    def test_volume_slider_config_and_modes(self):
        app = self.melodek()
        song = tone_file(os.path.join(app.folder, "tone.wav"), 8000, frames=44100 * 150)
        app.start(app.windows_path(song))
        window = self.show_controller(app)
        self.assertTrue(wait_for(lambda: 8000 in level_runs(app.captured_frames())))
        self.assertEqual(trackbar(window, VOLUME), (0, 200, 100, [100]))
        app.command(CONFIG)
        self.assertTrue(wait_for(lambda: probe("find", "Config")[0] == 0))
        config = probe("find", "Config")[1]
        # Drag the thumb leftwards in steps: the level falls step by step and Config follows.
        x, y = map(int, probe("thumb", window, VOLUME)[1].split())
        probe("mouse", "down", x, y)
        seen = []
        for step in (4, 8, 12):
            probe("mouse", "move", x - step, y)
            self.assertTrue(wait_for(lambda: trackbar(config, 1017)[2] == trackbar(window, VOLUME)[2]))
            volume = trackbar(window, VOLUME)[2]
            self.assertLess(volume, seen[-1] if seen else 100)
            seen.append(volume)
            level = 8000 * volume // 100
            self.assertTrue(wait_for(lambda: any(abs(v - level) <= 2 for v in level_runs(app.captured_frames()))),
                            "level %d for volume %d not heard" % (level, volume))
        probe("mouse", "up", x - 12, y)
        # Its own notice leaves the Controller's slider where the user put it.
        time.sleep(0.3)
        self.assertEqual(trackbar(window, VOLUME)[2], seen[-1])
        # A click on the channel right of the thumb applies at once.
        thumb_x = int(probe("thumb", window, VOLUME)[1].split()[0])
        click(thumb_x + 15, y)
        self.assertTrue(wait_for(lambda: trackbar(window, VOLUME)[2] > seen[-1]))
        self.assertTrue(wait_for(lambda: trackbar(config, 1017)[2] == trackbar(window, VOLUME)[2]))
        # The "dB Volume" box re-ranges the Controller's slider through the notice.
        click(*centre(rect_of(config, DB_CHECK)))
        self.assertTrue(wait_for(lambda: trackbar(window, VOLUME)[:2] == (-60, 6)))
        self.assertEqual(trackbar(window, VOLUME)[3], [0])
        click(*centre(rect_of(config, DB_CHECK)))
        self.assertTrue(wait_for(lambda: trackbar(window, VOLUME)[:2] == (0, 200)))
        self.assertEqual(trackbar(window, VOLUME)[3], [100])
        self.assertEqual(app.exit(), 0)

    def test_play_list_menu_buttons_escape_and_hot_key(self):
        app = self.melodek()
        paths = {}
        for name, level in (("a1", 1000), ("a2", 1100), ("b1", 2000), ("c1", 3000)):
            paths[name] = app.windows_path(tone_file(os.path.join(app.folder, name + ".wav"), level,
                                                     frames=44100 * 150))
        lists = [("first", [(1, paths["a1"], 0, 0), (2, paths["a2"], 0, 0)]), ("second", [(3, paths["b1"], 0, 0)]),
                 ("third", [(4, paths["c1"], 0, 0)])]
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"), settings_bytes(lists, [], sel_file_id=1))
        app.start()
        window = self.show_controller(app)
        left, top, right, bottom = window_info(window)[1]

        def choose_from_menu(downs):
            # On a busy machine Wine may drop a synthesized click: click again
            # when no menu came.
            for _ in range(3):
                right_click((left + right) // 2, top + 8)  # on the caption
                if wait_for(lambda: probe("menu-window")[0] == 0, timeout=7):
                    break
            self.assertEqual(probe("menu-window")[0], 0)
            for _ in range(downs):
                probe("send-keys", 0, VK_DOWN)
            probe("send-keys", 0, VK_RETURN)

        # One item per list, in order: the k-th item plays the k-th list's first
        # file, and a fourth step down wraps round to the first item.
        for downs, title in ((2, "b1"), (3, "c1"), (1, "a1"), (4, "a1")):
            if downs == 4:
                choose_from_menu(2)
                self.assertTrue(wait_for(lambda: self.caption(window) == "b1"))
            choose_from_menu(downs)
            self.assertTrue(wait_for(lambda: self.caption(window) == title), "menu step %d" % downs)
        # The outer frame shows no menu.
        right_click(left, (top + bottom) // 2)
        time.sleep(0.5)
        self.assertNotEqual(probe("menu-window")[0], 0)

        def press(button):
            click(*centre(rect_of(window, BUTTONS[button])))

        def sounding():
            data = app.captured_bytes()
            frames = array.array("i", data[:len(data) // 4 * 4])
            return len(frames) - frames.count(0)

        def growing():  # a paused output plays silence
            size = sounding()
            time.sleep(0.4)
            return sounding() > size

        # The seven buttons run the shared commands.
        press("next")
        self.assertTrue(wait_for(lambda: self.caption(window) == "a2"))
        press("prev")
        self.assertTrue(wait_for(lambda: self.caption(window) == "a1"))
        press("list_next")
        self.assertTrue(wait_for(lambda: self.caption(window) == "b1"))
        press("list_prev")
        self.assertTrue(wait_for(lambda: self.caption(window) == "a1"))
        press("pause")
        self.assertTrue(wait_for(lambda: not growing()))
        press("pause")
        self.assertTrue(wait_for(growing))
        press("stop")
        self.assertTrue(wait_for(lambda: not growing()))
        press("play")
        self.assertTrue(wait_for(growing))
        self.assertEqual(level_runs(app.captured_frames())[-1], 1000)

        # Escape hides it; the "Controller" hot key shows it again.
        click((left + right) // 2, top + 8)  # the caption: the Controller takes the keys
        probe("send-keys", 0, VK_ESCAPE)
        self.assertTrue(wait_for(lambda: visible(window) is False))
        probe("send-keys", CTRL_WIN, VK_F4)
        self.assertTrue(wait_for(lambda: visible(window) is True))
        # The close box hides it as well; the hot key brings it back.
        click(right - 12, top + 9)
        self.assertTrue(wait_for(lambda: visible(window) is False))
        probe("send-keys", CTRL_WIN, VK_F4)
        self.assertTrue(wait_for(lambda: visible(window) is True))
        self.assertEqual(app.exit(), 0)

    def test_saved_position_kept_on_screen_and_transparency(self):
        app = self.melodek()
        base = settings_bytes([("new", [])], [])
        cases = [((5000, 5000), 255, False, 255), ((-300, -40), 254, True, 254), ((100, 120), 0, True, 1)]
        for (x, y), alpha, layered, shown_alpha in cases:
            settings = bytearray(base)
            settings[4:12] = struct.pack("<ii", x, y)
            settings[24:28] = struct.pack("<i", alpha)
            write_bytes(os.path.join(app.folder, "melodek.mlcfg"), bytes(settings))
            app.start()
            # Nothing of the Controller until it is first needed; then it
            # comes where it was left, on the screen, at its transparency.
            self.assertNotEqual(probe("controller")[0], 0)
            window = self.show_controller(app)
            _, (left, top, right, bottom), is_layered, window_alpha, _, topmost = window_info(window)
            self.assertTrue(topmost)
            if x > SCREEN[0]:
                self.assertEqual((right, bottom), SCREEN)
            elif x < 0:
                self.assertEqual((left, top), (0, 0))
            else:
                self.assertEqual((left, top), (x, y))
            self.assertEqual((is_layered, window_alpha), (layered, shown_alpha))
            self.assertEqual(app.exit(), 0)
            saved = SettingsFile(read_bytes(os.path.join(app.folder, "melodek.mlcfg")))
            self.assertEqual(saved.controller_pos, (left, top))
        # A run that never needed the Controller keeps its place as it was stored.
        settings = bytearray(base)
        settings[4:12] = struct.pack("<ii", -300, -40)
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"), bytes(settings))
        app.start()
        self.assertEqual(app.exit(), 0)
        saved = SettingsFile(read_bytes(os.path.join(app.folder, "melodek.mlcfg")))
        self.assertEqual(saved.controller_pos, (-300, -40))


class TitleDisplay(MelodekTestCase):
    def watch(self, limit_ms=9000):
        return subprocess.Popen(["wine", os.path.join(TOOLS_DIR, "probe.exe"), "watch-fade", str(limit_ms)],
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def samples(self, watcher):
        """[(ms, visible, alpha, foreground, text)] from watch-fade."""
        rows = []
        for line in watcher.communicate(timeout=60)[0].decode(errors="replace").splitlines():
            ms, visible, alpha, foreground, text = (line.split(" ", 4) + [""])[:5]
            rows.append((int(ms), visible == "1", int(alpha), foreground == "1", text.strip()))
        return rows

    def alpha_at(self, rows, ms):
        return [r for r in rows if r[0] <= ms][-1][2]

    def test_title_fades_restarts_and_is_cut_at_the_screen(self):
        app = self.melodek("title")  # a short folder: the long file name must fit in a path
        song = tone_file(os.path.join(app.folder, "the title.wav"), 1000, frames=44100 * 150)
        app.start()
        # The window comes with the first text: here the first file's title.
        self.assertNotEqual(probe("title-window")[0], 0)
        watcher = self.watch()
        time.sleep(0.5)
        subprocess.run(["wine", app.exe, app.windows_path(song)], cwd=app.folder, env=app.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        rows = self.samples(watcher)
        window = probe("title-window")[1]
        self.assertEqual(rows[0][4], "the title")
        self.assertFalse(any(r[3] for r in rows))  # never the foreground window
        self.assertTrue(all(r[2] == 255 for r in rows if r[0] < 1950))
        self.assertAlmostEqual(self.alpha_at(rows, 3000), 128, delta=20)
        hidden = [r[0] for r in rows if not r[1]]
        self.assertTrue(hidden and 3950 <= hidden[0] <= 4400, hidden)
        self.assertTrue(all(r[1] for r in rows if r[0] < 3950))
        _, (left, top, right, bottom), layered, _, _, topmost = window_info(window)
        self.assertEqual((left, top, layered, topmost), (0, 0, True, True))
        self.assertLess(right, 400)

        # Two volume key presses within four seconds: the second restarts it.
        watcher = self.watch()
        time.sleep(0.5)
        probe("send-keys", CTRL_WIN, VK_PERIOD)
        time.sleep(1.5)
        probe("send-keys", CTRL_WIN, VK_PERIOD)
        rows = self.samples(watcher)
        self.assertEqual(rows[0][4], "101%")
        second = [r for r in rows if r[4] == "102%"]
        self.assertTrue(second)
        restart = second[0][0]
        self.assertTrue(all(r[2] == 255 for r in rows if r[0] < restart + 1950))
        hidden = [r[0] for r in rows if not r[1]]
        self.assertTrue(hidden and 3950 <= hidden[0] - restart <= 4400, (restart, hidden))

        # A title wider than the screen is cut at the screen's width.
        long_song = tone_file(os.path.join(app.folder, "longer " * 24 + ".wav"), 2000, frames=44100 * 150)
        watcher = self.watch()
        time.sleep(0.5)
        subprocess.run(["wine", app.exe, app.windows_path(long_song)], cwd=app.folder, env=app.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        rows = self.samples(watcher)
        self.assertTrue(rows[0][4].startswith("longer longer"))
        _, (left, top, right, bottom), _, _, _, _ = window_info(window)
        self.assertEqual((left, top, right), (0, 0, SCREEN[0]))
        self.assertLess(bottom, 100)
        self.assertEqual(app.exit(), 0)


if __name__ == "__main__":
    unittest.main()
