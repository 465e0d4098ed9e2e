"""What plays, told to everyone, end to end under Wine: the tray icon's tip
as Wine's notification area shows it (read from the tool tip on the screen
while the real mouse rests on the icon), the Controller's tool tips, names
(through the system's accessibility interface) and keyboard, Tab through
the Controller, Config and Equalizer, the keyboard's tray menu, the curve
editor's tip, and high contrast in the pixels of the title display, the
drag list and the Controller's icons."""
import os
import struct
import subprocess
import time

from melodek_e2e import (MelodekTestCase, probe, settings_bytes, tone_file, tray_icon_centre, tray_icon_shown,
                         wait_for, window_when_made, write_bytes)
from test_equalizer_dialog import ID_GRAPH, Plot, rect_of
from test_high_dpi import screen_pixels

CONTROLLER, CONFIG, EQUALIZER, PAUSE, STOP = 32781, 32782, 32785, 32774, 32775
UM_TRAY_NOTIFY, WM_CONTEXTMENU, NIN_KEYSELECT = 0x400 + 100, 0x7B, 0x401
SEEK, PREV, PLAY, PAUSE_BUTTON, STOP_BUTTON, NEXT, LIST_PREV, LIST_NEXT, VOLUME = (
    1021, 1014, 1012, 1015, 1016, 1017, 1019, 1020, 1032)
NAMES = {SEEK: "Position", PREV: "Previous", PLAY: "Play", PAUSE_BUTTON: "Pause", STOP_BUTTON: "Stop",
         NEXT: "Next", LIST_PREV: "Previous list", LIST_NEXT: "Next list", VOLUME: "Volume"}
VK_RETURN, VK_SPACE, VK_ESCAPE, VK_UP, VK_F1, VK_F4, VK_PERIOD = 0x0D, 0x20, 0x1B, 0x26, 0x70, 0x73, 0xBE
CTRL_WIN = 0x2 | 0x8
DASH = "\u2014"
AWAY = (700, 700)  # a point over no window of the test

# System colours a high-contrast scheme sets, chosen unlike any of Melodek's own.
COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_BTNFACE, COLOR_GRAYTEXT, \
    COLOR_BTNTEXT, COLOR_HOTLIGHT = 5, 8, 13, 14, 15, 17, 18, 26
SCHEME = {COLOR_WINDOW: (40, 0, 56), COLOR_WINDOWTEXT: (0, 255, 255), COLOR_HIGHLIGHT: (255, 0, 255),
          COLOR_HIGHLIGHTTEXT: (0, 0, 0), COLOR_BTNFACE: (0, 0, 0), COLOR_GRAYTEXT: (0, 160, 0),
          COLOR_BTNTEXT: (0, 255, 0), COLOR_HOTLIGHT: (255, 255, 0)}


def numbers(text):
    return [int(v) for v in text.split()]


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def tips():
    return [line for line in probe("tips")[1].splitlines() if line]


def hover(x, y):
    """Rests the real mouse at (x, y), coming from elsewhere so the tool
    tip starts afresh."""
    probe("mouse", "move", *AWAY)
    time.sleep(0.2)
    probe("mouse", "move", x, y)


def tip_over(x, y, predicate, timeout=8):
    """The first tool tip text on screen that satisfies predicate while the
    mouse rests at (x, y); hovers again when a busy machine missed it."""
    for _ in range(2):
        hover(x, y)
        found = wait_for(lambda: [t for t in tips() if predicate(t)], timeout=timeout)
        if found:
            return found[0]
    return None


def tray_tip(expected):
    """The tray icon's tip as Wine's notification area shows it, once it reads `expected`."""
    x, y = tray_icon_centre()
    return tip_over(x, y, lambda t: t == expected) or [t for t in tips() if t.endswith("Melodek")]


def play_from_command_line(app, path):
    subprocess.run(["wine", app.exe, app.windows_path(path)], cwd=app.folder, env=app.env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def write_settings(app, lists, presets=(), sel_file_id=0, controller_at=(420, 320)):
    """The settings file, with the Controller away from the top-left corner
    where Wine's tray window and the title display are."""
    data = bytearray(settings_bytes(lists, list(presets), sel_file_id=sel_file_id))
    data[4:12] = struct.pack("<ii", *controller_at)
    write_bytes(os.path.join(app.folder, "melodek.mlcfg"), bytes(data))


def show_controller():
    """The Controller's hot key: the window (made the first time) shows with
    the focus on Play."""
    probe("send-keys", CTRL_WIN, VK_F4)
    window = window_when_made("controller")
    assert wait_for(lambda: probe("window-info", window)[1].startswith("1"), timeout=10)
    return window


class TrayTip(MelodekTestCase):
    def test_tip_follows_play_pause_stop_and_any_title(self):
        app = self.melodek()
        song = tone_file(os.path.join(app.folder, "Evening Song.wav"), 3000, frames=44100 * 120)
        night = tone_file(os.path.join(app.folder, "Caf\u00e9 \u591c\u306e\u6b4c.wav"), 3000, frames=44100 * 120)
        long_name = "Long " * 28  # 140 characters: more than the old 63-character tip, more than 127
        longer = tone_file(os.path.join(app.folder, long_name + ".wav"), 3000, frames=44100 * 120)
        app.start()
        self.assertTrue(wait_for(tray_icon_shown, timeout=10))
        self.assertEqual(tray_tip("Melodek"), "Melodek")

        play_from_command_line(app, song)
        self.assertEqual(tray_tip("Evening Song %s Melodek" % DASH), "Evening Song %s Melodek" % DASH)
        app.command(PAUSE)
        self.assertEqual(tray_tip("Paused: Evening Song %s Melodek" % DASH), "Paused: Evening Song %s Melodek" % DASH)
        app.command(PAUSE)
        self.assertEqual(tray_tip("Evening Song %s Melodek" % DASH), "Evening Song %s Melodek" % DASH)
        app.command(STOP)
        self.assertEqual(tray_tip("Melodek"), "Melodek")

        play_from_command_line(app, night)
        expected = "Caf\u00e9 \u591c\u306e\u6b4c %s Melodek" % DASH
        self.assertEqual(tray_tip(expected), expected)

        # 127 characters of the wide record: the title cut, an ellipsis, the name kept.
        play_from_command_line(app, longer)
        expected = long_name[:116] + "\u2026 %s Melodek" % DASH
        self.assertEqual(len(expected), 127)
        self.assertEqual(tray_tip(expected), expected)
        probe("mouse", "move", *AWAY)
        self.assertEqual(app.exit(), 0)

    def test_tray_menu_from_the_keyboard_and_the_mouse(self):
        app = self.melodek()
        app.start()
        self.assertTrue(wait_for(tray_icon_shown, timeout=10))
        # The menu key on the icon (after Win+B): the shell's version 4 event,
        # with the icon's place in wParam. The menu opens there.
        probe("message", UM_TRAY_NOTIFY, (300 << 16) | 200, WM_CONTEXTMENU)
        self.assertTrue(wait_for(lambda: probe("menu-window")[0] == 0, timeout=10))
        left, top = numbers(probe("menu-window")[1])[:2]
        self.assertEqual((left, top), (200, 300))
        probe("send-keys", 0, VK_ESCAPE)
        self.assertTrue(wait_for(lambda: probe("menu-window")[0] != 0, timeout=10))

        # Enter on the icon: the Controller, with the keys on Play.
        probe("message", UM_TRAY_NOTIFY, (300 << 16) | 200, NIN_KEYSELECT)
        window = window_when_made("controller")
        self.assertTrue(wait_for(lambda: probe("window-info", window)[1].startswith("1"), timeout=10))
        self.assertTrue(wait_for(lambda: probe("focus", window)[1] == str(PLAY), timeout=10))
        probe("send-keys", 0, VK_ESCAPE)

        # The mouse as before: a right click opens the menu at its press, once;
        # the shell's context-menu event after the release opens no second one.
        x, y = tray_icon_centre()
        probe("press", x, y, "right")
        self.assertTrue(wait_for(lambda: probe("menu-window")[0] == 0, timeout=10))
        probe("send-keys", 0, VK_ESCAPE)
        self.assertTrue(wait_for(lambda: probe("menu-window")[0] != 0, timeout=10))
        time.sleep(1.0)
        self.assertNotEqual(probe("menu-window")[0], 0)
        self.assertEqual(app.exit(), 0)


class ControllerAccess(MelodekTestCase):
    def test_tips_names_and_keyboard(self):
        app = self.melodek()
        song = tone_file(os.path.join(app.folder, "Evening Song.wav"), 3000, frames=44100 * 150)
        write_settings(app, [("new", [])])
        app.start()
        play_from_command_line(app, song)
        window = show_controller()
        self.assertTrue(wait_for(lambda: probe("focus", window)[1] == str(PLAY), timeout=10))

        # Every control has its name where the accessibility interface reads it.
        names = {}
        for line in probe("acc-names", window)[1].splitlines():
            ident, _, name = line.partition(" ")
            names[int(ident)] = name
        self.assertEqual({i: names.get(i) for i in NAMES}, NAMES)

        # The real mouse on a button: its tip. On the seek slider: the time under it.
        def rect(control):
            return numbers(probe("control-rect", window, control)[1])

        for control in (PLAY, LIST_NEXT):
            self.assertEqual(tip_over(*centre(rect(control)), lambda t, c=control: t == NAMES[c]), NAMES[control])
        seek = rect(SEEK)
        at = seek[0] + (seek[2] - seek[0]) * 3 // 4
        tip = tip_over(at, (seek[1] + seek[3]) // 2, lambda t: t.startswith("Position: "))
        self.assertIsNotNone(tip)
        shown, total = tip[len("Position: "):].split(" / ")
        self.assertEqual(total, "2:30")
        minutes, seconds = map(int, shown.split(":"))
        self.assertAlmostEqual(minutes * 60 + seconds, 112, delta=6)  # three quarters of 150 s
        self.assertEqual(tip_over(*centre(rect(VOLUME)), lambda t: t.startswith("Volume")), "Volume: 100%")
        probe("mouse", "move", *AWAY)

        # Tab walks the controls left to right, Shift+Tab back; Enter and Space press.
        self.assertEqual(numbers(probe("tab-walk", window, 9)[1]),
                         [PLAY, PAUSE_BUTTON, STOP_BUTTON, NEXT, LIST_PREV, LIST_NEXT, VOLUME, SEEK, PREV, PLAY])
        self.assertEqual(numbers(probe("tab-walk", window, 2, "back")[1]), [PLAY, PREV, SEEK])
        self.assertEqual(numbers(probe("tab-walk", window, 4)[1]), [SEEK, PREV, PLAY, PAUSE_BUTTON, STOP_BUTTON])
        probe("tab-walk", window, 1, "back")  # on Pause
        probe("send-keys", 0, VK_RETURN)
        self.assertEqual(tray_tip("Paused: Evening Song %s Melodek" % DASH), "Paused: Evening Song %s Melodek" % DASH)
        probe("tab-walk", window, 1)  # on Stop
        probe("send-keys", 0, VK_SPACE)
        self.assertEqual(tray_tip("Melodek"), "Melodek")
        probe("mouse", "move", *AWAY)
        self.assertEqual(app.exit(), 0)


class DialogTabOrder(MelodekTestCase):
    def test_config_and_equalizer(self):
        app = self.melodek()
        octave = [(31.5 * 0.18575963718820862 * 2 ** i, 1.0) for i in range(10)]
        song = app.windows_path(tone_file(os.path.join(app.folder, "song.wav"), 1000))
        write_settings(app, [("new", [(1, song, 0, 5)])], [(0, "Default", 0, []), (5, "Octave", 2, octave)],
                       sel_file_id=1)
        app.start()
        app.command(CONFIG)
        self.assertTrue(wait_for(lambda: probe("find", "Config")[0] == 0, timeout=10))
        config = probe("find", "Config")[1]
        # Folders, transparency, the volume box and the ReplayGain box left to
        # right, top to bottom, the two check boxes, OK, Cancel, and round.
        self.assertEqual(numbers(probe("tab-walk", config, 14)[1]),
                         [1002, 1003, 1008, 1016, 1017, 1018, 1040, 1043, 1041, 1042, 1029, 1030, 1, 2, 1002])
        self.assertEqual(numbers(probe("tab-walk", config, 2, "back")[1]), [1002, 2, 1])
        probe("send-keys", 0, VK_ESCAPE)
        self.assertTrue(wait_for(lambda: probe("find", "Config")[0] != 0, timeout=10))

        app.command(EQUALIZER)
        self.assertTrue(wait_for(lambda: probe("find", "Equalizer")[0] == 0, timeout=10))
        equalizer = probe("find", "Equalizer")[1]
        # The presets first; then the type, the curve editor, OK, and round by ADD and DELETE.
        self.assertEqual(numbers(probe("tab-walk", equalizer, 6)[1]), [1019, 1027, 1025, 1, 1010, 1026, 1019])
        self.assertEqual(numbers(probe("tab-walk", equalizer, 2)[1]), [1019, 1027, 1025])
        # On the curve editor (the current file's octave preset) the keys pick
        # and move a point, and its tip tells it.
        self.assertTrue(wait_for(lambda: "31.5 Hz: 100% (+0.0 dB)" in tips(), timeout=10), tips())
        probe("send-keys", 0, VK_UP)
        self.assertTrue(wait_for(lambda: "31.5 Hz: 102% (+0.2 dB)" in tips(), timeout=10), tips())
        probe("send-keys", 0, 0x27)  # Right: the next point
        self.assertTrue(wait_for(lambda: "63 Hz: 100% (+0.0 dB)" in tips(), timeout=10), tips())
        # A point dragged with the real mouse: the tip follows it, and goes with the button.
        plot = Plot(rect_of(ID_GRAPH))
        x, y = plot.x(126), plot.y(1.0)
        probe("mouse", "move", x, y)
        probe("mouse", "down", x, y)
        for step in range(1, 5):
            probe("mouse", "move", x, y - 10 * step)
        raised = wait_for(lambda: [t for t in tips() if t.startswith("126 Hz: ") and t != "126 Hz: 100% (+0.0 dB)"],
                          timeout=10)
        probe("mouse", "up", x, y - 40)
        self.assertTrue(raised, tips())
        self.assertGreater(int(raised[0].split(": ")[1].split("%")[0]), 110)
        self.assertTrue(wait_for(lambda: not [t for t in tips() if "Hz: " in t], timeout=10), tips())
        probe("send-keys", 0, VK_ESCAPE)
        self.assertTrue(wait_for(lambda: probe("find", "Equalizer")[0] != 0, timeout=10))
        self.assertEqual(app.exit(), 0)


def pixels_in(box):
    return {pixel for row in screen_pixels(box) for pixel in row}


def colour_arguments(colours):
    return [v for index, rgb in colours.items() for v in (index, "0x%02x%02x%02x" % rgb)]


class HighContrast(MelodekTestCase):
    """Wine keeps each program's system colours from its start and always
    reports high contrast off: the scheme's colours are set before Melodek
    starts, and the probe's hook library switches the mode on inside it."""

    def setUp(self):
        super().setUp()
        saved = [tuple(numbers(line)) for line in probe("sys-colors", *sorted(SCHEME))[1].splitlines()]
        self.addCleanup(lambda: probe("set-sys-colors", *colour_arguments(dict(zip(sorted(SCHEME), saved)))))

    def start(self, app):
        app.start()
        self.controller = show_controller()
        probe("send-keys", CTRL_WIN, VK_F1)  # the play list editor: its current row is "Evening"
        self.assertTrue(wait_for(lambda: probe("visible", "PlayListEdit")[0] == 0, timeout=15))
        time.sleep(0.5)

    def current_row(self):
        left, top, right, bottom = numbers(probe("list-row-rect", "PlayListEdit", 1001, 1)[1])
        return pixels_in((left + 2, top + 1, left + 60, bottom - 1))

    def title_display(self):
        """The title display, showing the volume the volume key just set."""
        for _ in range(2):  # again when a busy machine dropped the key
            probe("send-keys", CTRL_WIN, VK_PERIOD)
            window = window_when_made("title-window", timeout=8)  # made with its first text
            if window and wait_for(lambda: probe("window-info", window)[1].startswith("1"), timeout=8):
                break
        self.assertTrue(probe("window-info", window)[1].startswith("1"))
        time.sleep(0.3)
        return pixels_in(numbers(probe("window-info", window)[1].splitlines()[0])[1:5])

    def button_glyph(self):
        left, top, right, bottom = numbers(probe("control-rect", self.controller, PLAY)[1])
        return pixels_in((left + 3, top + 3, right - 3, bottom - 3))

    def test_own_drawing_takes_the_system_colours(self):
        app = self.melodek()
        files = []
        for i, name in enumerate(("Morning", "Evening", "Night")):
            files.append((i + 1, app.windows_path(tone_file(os.path.join(app.folder, name + ".wav"), 1000 + i,
                                                            frames=44100 * 150)), 0, 0))
        write_settings(app, [("Days", files)], sel_file_id=2)

        # The program's own colours.
        self.start(app)
        self.assertIn((255, 255, 0), self.current_row())  # yellow
        self.assertIn((255, 255, 255), self.title_display())  # white text
        own_glyph = self.button_glyph()
        self.assertEqual(app.exit(), 0)

        # A scheme's colours alone change nothing of the program's own drawing.
        probe("set-sys-colors", *colour_arguments(SCHEME))
        self.start(app)
        self.assertIn((255, 255, 0), self.current_row())
        self.assertIn((255, 255, 255), self.title_display())
        self.assertEqual(self.button_glyph() & {SCHEME[COLOR_BTNTEXT]}, own_glyph & {SCHEME[COLOR_BTNTEXT]})

        # High contrast on: the scheme's colours everywhere it draws itself.
        self.assertEqual(probe("high-contrast", probe("main-window")[1], "on")[0], 0)
        time.sleep(0.5)
        row = self.current_row()
        self.assertIn(SCHEME[COLOR_WINDOWTEXT], row)  # the current row: the window colours swapped
        self.assertNotIn((255, 255, 0), row)
        title = self.title_display()
        self.assertIn(SCHEME[COLOR_WINDOW], title)  # opaque, on the scheme's window colour
        self.assertIn(SCHEME[COLOR_WINDOWTEXT], title)  # in its text colour
        self.assertNotIn((255, 255, 255), title)
        self.assertIn(SCHEME[COLOR_BTNTEXT], self.button_glyph())

        # And off again: its own colours come back.
        self.assertEqual(probe("high-contrast", probe("main-window")[1], "off")[0], 0)
        time.sleep(0.5)
        self.assertIn((255, 255, 0), self.current_row())
        self.assertIn((255, 255, 255), self.title_display())
        self.assertNotIn(SCHEME[COLOR_BTNTEXT], self.button_glyph())
        probe("send-keys", 0, VK_ESCAPE)
        self.assertEqual(app.exit(), 0)


if __name__ == "__main__":
    import unittest
    unittest.main()
