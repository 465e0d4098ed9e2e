"""The Equalizer dialog driven as a user drives it: opened from the tray menu
while a file plays, its curve dragged with the mouse, presets added, renamed,
retyped and deleted with mouse and keys. What it does is checked in the
captured sound, on the screen and in the settings saved at exit."""
import math
import os
import struct
import subprocess
import time
import unittest
from array import array

from melodek_e2e import (FramedMelodekTestCase, SettingsFile, probe, read_bytes, settings_bytes, tone_level,
                         tray_icon_centre, wait_for, write_bytes)

RATE = 44100
PLAY, NEXT = 88, 66  # hot keys Ctrl+Win+X and Ctrl+Win+B
CTRL_WIN = 10
VK_RETURN, VK_ESCAPE, VK_DOWN, VK_DELETE, VK_F2 = 0x0D, 0x1B, 0x28, 0x2E, 0x71
OCTAVE = [31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000]
THREE_HALVES = [63, 160, 400, 1000, 2500, 6300, 16000]
THIRD_OCTAVE = [25, 31.5, 40, 50, 63, 80, 100, 125, 160, 200, 250, 315, 400, 500, 630, 800, 1000, 1250, 1600,
                2000, 2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000]
# Prev, Play, Pause, Stop, Next, List Prev, List Next, Jump to File, Playlist Edit, Equalizer ("Clear
# queue" shows only while files are queued).
EQUALIZER_MENU_ITEM = 10
ID_OK, ID_ADD, ID_DELETE, ID_PRESETS, ID_TYPE, ID_GRAPH = 1, 1010, 1026, 1019, 1027, 1025


def tones_wav(path, tones, seconds):
    """A stereo WAV of summed sines, (hertz, amplitude) each, all multiples of
    100 Hz: 441 frames hold whole periods of every one, so one period repeats."""
    period = array("h")
    for i in range(441):
        v = int(sum(a * math.sin(2 * math.pi * f * i / RATE) for f, a in tones))
        period.extend((v, v))
    data = period.tobytes() * int(seconds * 100)
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ", 16, 1, 2, RATE, RATE * 4,
                         4, 16, b"data", len(data))
    write_bytes(path, header + data)
    return path


def as_float(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def bins(hertz):
    return as_float(hertz * 0.18575963718820862)


# A fresh preset's two points: 25 Hz and 20 kHz over a rounded bin width.
FRESH_LOW, FRESH_HIGH = as_float(4.6439900), as_float(3715.1899)


def phase(values, start, hertz, count=4410):
    """Phase of one frequency over a window (DFT at that frequency)."""
    w = 2 * math.pi * hertz / RATE
    re = sum(v * math.cos(w * i) for i, v in enumerate(values[start:start + count]))
    im = sum(v * math.sin(w * i) for i, v in enumerate(values[start:start + count]))
    return math.atan2(-im, re)


def without_wine_gaps(values, marks, shortest=8):
    """values with the runs of silence of `shortest` frames or more left
    out (Wine plays silence of its own when a buffer comes late on a busy
    machine), and where each position of `marks` lands in the result."""
    kept, at, run_start, moved = array("h"), 0, None, [0] * len(marks)
    for i in range(len(values) + 1):
        silent = i < len(values) and values[i] == 0
        if silent and run_start is None:
            run_start = i
        if not silent and run_start is not None:
            if i - run_start >= shortest:
                kept.extend(values[at:run_start])
                at = i
                moved = [m + max(0, min(i, mark) - run_start) for m, mark in zip(moved, marks)]
            run_start = None
    kept.extend(values[at:])
    return kept, [mark - m for mark, m in zip(marks, moved)]


def decibels(level, reference):
    return 20 * math.log10(max(level, 1e-3) / reference)


class Plot:
    """The curve editor's plot on the screen: 10 pixels in from the control's
    edges, 4 more at the top (96 DPI); bins 4..4096 on a log2 axis, gain 0..2."""

    def __init__(self, rect):
        left, top, right, bottom = rect
        self.left, self.top = left + 10, top + 14
        self.width, self.height = right - left - 20, bottom - top - 24
        self.bottom = self.top + self.height

    def x(self, hertz):
        return self.left + int((math.log2(bins(hertz)) - 2) * self.width / 10)

    def y(self, gain):
        return self.bottom - int(gain / 2 * self.height)

    def curve_row(self, gain):
        return min(max(self.bottom - int(self.height / 2 * gain), self.top), self.bottom - 1)


def rect_of(control_id):
    code, text = probe("rect", "Equalizer", control_id)
    assert code == 0, "no control %d on the Equalizer dialog" % control_id
    return tuple(int(v) for v in text.split())


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def press(x, y, right=False):
    probe("press", x, y, *(["right"] if right else []))


def key(vk, modifiers=0):
    probe("send-keys", modifiers, vk)


def combo_text():
    return probe("text", "Equalizer", ID_TYPE)[1]


# Under Xvfb there is no window manager: Wine leaves the frame of a window
# it lets a window manager decorate off the screen, so there would be no
# border to drag unless Wine draws it.
class EqualizerDialog(FramedMelodekTestCase):
    def open_equalizer(self):
        """Right-click on the tray icon, then "Equalizer..." with the keys
        (again after Escape if a busy machine showed the menu too late)."""
        for _ in range(3):
            x, y = tray_icon_centre()
            probe("press", x, y, "right")
            time.sleep(0.5)
            for _ in range(EQUALIZER_MENU_ITEM):
                key(VK_DOWN)
            key(VK_RETURN)
            if wait_for(lambda: probe("visible", "Equalizer")[0] == 0, timeout=10):
                time.sleep(0.3)
                return
            key(VK_ESCAPE)
        self.fail("the Equalizer dialog did not open from the tray menu")

    def expect_type(self, text):
        self.assertTrue(wait_for(lambda: combo_text() == text, timeout=5), (combo_text(), text))

    def close_equalizer(self):
        press(*centre(rect_of(ID_OK)))
        self.assertTrue(wait_for(lambda: probe("visible", "Equalizer")[0] != 0, timeout=10))

    def click_row(self, row):
        code, text = probe("row-rect", "Equalizer", ID_PRESETS, row)
        self.assertEqual(code, 0, "no row %d" % row)
        left, top, right, bottom = (int(v) for v in text.split())
        press(left + 20, (top + bottom) // 2)
        time.sleep(0.2)

    def wait_heard(self, app, index, frames, *marks):
        """The left channel of the index-th capture file (one per opening of
        the sound device, so one per file started) once it holds `frames`
        past the last of `marks`, without the silence Wine plays of its own
        on a busy machine (which would read as a level lost or cut a window
        short); and where each capture position of `marks` lands in it."""
        heard = []

        def enough():
            paths = app.capture_paths()
            if index >= len(paths):
                return False
            heard[:] = without_wine_gaps(array("h", read_bytes(paths[index]))[0::2], marks)
            return len(heard[0]) >= max(heard[1], default=0) + frames

        self.assertTrue(wait_for(enough, timeout=30, interval=0.5), "%d frames not heard" % frames)
        return heard

    def wait_captured(self, app, index, frames):
        return wait_for(lambda: len(app.capture_paths()) > index and
                        os.path.getsize(app.capture_paths()[index]) >= frames * 4, timeout=30)

    def level(self, left, start, hertz, count=4410):
        return tone_level(left[start:start + count], hertz, RATE)

    def saved(self, app):
        return SettingsFile(read_bytes(os.path.join(app.folder, "melodek.mlcfg")))

    def test_dragging_a_band_is_heard_at_once_and_held_while_open(self):
        app = self.melodek()
        a = tones_wav(os.path.join(app.folder, "a.wav"), [(1000, 6000), (4000, 6000)], 90)
        b = tones_wav(os.path.join(app.folder, "b.wav"), [(1000, 6000), (4000, 6000)], 90)
        flat = [(bins(f), 1.0) for f in OCTAVE]
        no_4k = [(bins(f), 0.0 if f == 4000 else 1.0) for f in OCTAVE]
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"), settings_bytes(
            lists=[("eq", [(7, app.windows_path(a), 0, 5), (8, app.windows_path(b), 0, 6)])],
            presets=[(0, "Default", 0, []), (5, "octave a", 3, flat), (6, "octave b", 3, no_4k)],
            sel_file_id=7))
        app.start()
        app.command(32773)  # Play: a.wav with its own preset, flat
        self.assertTrue(self.wait_captured(app, 0, RATE))
        self.open_equalizer()
        self.expect_type("GraEQ 1 oct")  # the current file's preset

        # Drag the 1 kHz point down and to the right, to the plot's bottom
        # (gain 0) in the last of 20 steps: the graphic type keeps its x.
        plot = Plot(rect_of(ID_GRAPH))
        x, y = plot.x(1000), plot.y(1.0)
        code, text = probe("drag", x, y, x + 40, plot.bottom, 20, app.windows_path(app.capture), x, plot.bottom)
        self.assertEqual(code, 0, "the handle never showed at the bottom of its column")
        started, shown = (int(v) // 4 for v in text.split())
        left, (started, shown) = self.wait_heard(app, 0, 2 * RATE, started, shown)
        before = decibels(self.level(left, started - RATE // 2, 1000), 6000)
        self.assertAlmostEqual(before, 0, delta=1.0)
        # Windows of 100 ms every 50 ms from the moment the curve showed the
        # final point: the first one down by 40 dB gives the latency; after
        # it, all stay down, and 4 kHz stays within 1 dB throughout.
        steps = [(at - shown, decibels(self.level(left, at, 1000), 6000),
                  decibels(self.level(left, at, 4000), 6000))
                 for at in range(shown, shown + 2 * RATE - 4410, 2205)]
        heard = next(i for i, (_, at1k, _) in enumerate(steps) if at1k <= -40)
        latency = steps[heard][0] / RATE
        print("drag heard after %.3f s of sound" % latency)
        self.assertLessEqual(latency, 0.5)
        for offset, at1k, at4k in steps[heard:]:
            self.assertLessEqual(at1k, -40, offset)
        for offset, _, at4k in steps:
            self.assertAlmostEqual(at4k, 0, delta=1.0, msg=offset)
        # The sound kept flowing while the point moved: from the press of the
        # button to a second after the last step no sample was lost or played
        # twice, so the untouched 4 kHz tone advances its phase exactly with
        # the samples (a block lost or repeated would turn it by 0.43 turn).
        advance = 2 * math.pi * 4000 * 2205 / RATE
        for at in range(started, shown + RATE, 2205):
            turn = (phase(left, at + 2205, 4000) - phase(left, at, 4000) - advance) % (2 * math.pi)
            self.assertLess(min(turn, 2 * math.pi - turn), 0.1, at - started)

        # The next file starts while the dialog is open: its own preset (4 kHz
        # cut) is held back, the edited curve (1 kHz cut) stays.
        key(NEXT, CTRL_WIN)
        b_held, _ = self.wait_heard(app, 1, 2 * RATE)
        self.assertLessEqual(decibels(self.level(b_held, RATE, 1000), 6000), -40)
        self.assertAlmostEqual(decibels(self.level(b_held, RATE, 4000), 6000), 0, delta=1.0)
        # Closed, a start of the file takes its own preset again.
        self.close_equalizer()
        key(PLAY, CTRL_WIN)
        b_own, _ = self.wait_heard(app, 2, 2 * RATE)
        self.assertAlmostEqual(decibels(self.level(b_own, RATE, 1000), 6000), 0, delta=1.0)
        self.assertLessEqual(decibels(self.level(b_own, RATE, 4000), 6000), -30)

        self.assertEqual(app.exit(), 0)
        saved = self.saved(app)
        presets = {p["id"]: p for p in saved.presets}
        edited = [(bins(f), 0.0 if f == 1000 else 1.0) for f in OCTAVE]
        self.assertEqual([(x, y) for _, x, y in presets[5]["points"]], edited)  # x kept: locked
        self.assertTrue(all(k == x for k, x, _ in presets[5]["points"]))
        self.assertEqual([(x, y) for _, x, y in presets[6]["points"]], no_4k)
        self.assertEqual([f["preset"] for f in saved.lists[0]["files"]], [5, 6])

    def test_presets_are_edited_with_mouse_and_keys(self):
        app = self.melodek()
        tones = [(500, 3000), (1000, 3000), (2000, 3000)]
        c = tones_wav(os.path.join(app.folder, "c.wav"), tones, 90)
        para = [(bins(63), as_float(1.8)), (bins(8000), as_float(0.2))]
        halves = [(bins(f), 0.5) for f in THREE_HALVES]
        # Bass lifted, a dip around 1 kHz, presence lifted.
        smile = [(bins(f), as_float(1.0 + 0.6 * math.exp(-(i - 3) ** 2 / 10) - 0.45 * math.exp(-(i - 16) ** 2 / 6) +
                                     0.35 * math.exp(-(i - 25) ** 2 / 8)))
                 for i, f in enumerate(THIRD_OCTAVE)]
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"), settings_bytes(
            lists=[("eq", [(7, app.windows_path(c), 0, 0)])],
            presets=[(0, "Default", 0, []), (3, "para", 1, para), (4, "halves", 2, halves), (5, "smile", 5, smile)],
            sel_file_id=7))
        app.start()
        app.command(32773)
        self.assertTrue(self.wait_captured(app, 0, RATE))
        self.open_equalizer()
        self.expect_type("NoEQ")  # the file's preset is "Default"

        # Choosing "para" applies it to the playing file; the curve drawn
        # between its two far points is the response heard.
        self.click_row(1)
        self.expect_type("ParaEQ")
        chosen = os.path.getsize(app.capture)
        samples, (chosen,) = self.wait_heard(app, 0, 2 * RATE, chosen // 4)
        plot = Plot(rect_of(ID_GRAPH))
        for hertz, amplitude in tones:
            gain = self.level(samples, chosen + RATE, hertz, 8820) / amplitude
            column = plot.x(hertz)
            rows = [int(v) for v in probe("black-rows", column, plot.top, plot.bottom)[1].split()]
            self.assertTrue(rows, hertz)
            drawn = sum(rows) / len(rows)
            self.assertLessEqual(abs(drawn - plot.curve_row(gain)), 1.0, (hertz, gain, rows))

        # ADD twice: two fresh "ParaEQ" presets, the second one selected.
        press(*centre(rect_of(ID_ADD)))
        press(*centre(rect_of(ID_ADD)))
        time.sleep(0.3)
        self.expect_type("ParaEQ")
        # Right button on the new curve: on one of its two points nothing goes;
        # on free spots points come; a point goes only while more than 3 exist.
        edited = Plot(rect_of(ID_GRAPH))
        press(edited.x(25), edited.y(1.0), right=True)     # 2 points: kept
        press(edited.x(1000), edited.y(1.5), right=True)   # added: 3
        press(edited.x(250), edited.y(0.5), right=True)    # added: 4
        press(edited.x(250), edited.y(0.5), right=True)    # removed: 3
        press(edited.x(1000), edited.y(1.5), right=True)   # 3 points: kept

        # A new type starts over with flat bands.
        self.click_row(2)
        self.expect_type("GraEQ 3/2 oct")
        press(*centre(rect_of(ID_TYPE)))
        key(VK_DOWN)
        key(VK_RETURN)
        self.expect_type("GraEQ 1 oct")

        # DELETE does nothing to "Default".
        self.click_row(0)
        self.expect_type("NoEQ")
        press(*centre(rect_of(ID_DELETE)))
        self.assertEqual(probe("row-rect", "Equalizer", ID_PRESETS, 5)[0], 0)  # still 6 rows

        # Renaming "para": escape keeps the name, an empty name is refused,
        # Enter takes a new one.
        self.click_row(1)
        for typed, end in (([0x58], VK_ESCAPE), ([VK_DELETE], VK_RETURN), ([0x42, 0x41, 0x53, 0x53], VK_RETURN)):
            key(VK_F2)
            time.sleep(0.2)
            for vk in typed:
                key(vk)
            key(end)
            time.sleep(0.2)
        self.assertEqual(probe("visible", "Equalizer")[0], 0)  # Enter and Escape only ended the edit

        # Enlarging the dialog by its lower right corner stretches the list
        # vertically, the editor both ways, and takes OK along.
        before = {i: rect_of(i) for i in (ID_PRESETS, ID_GRAPH, ID_OK)}
        dialog = rect_of(0)
        code, _ = probe("drag-corner", dialog[2] - 2, dialog[3] - 2, dialog[2] + 118, dialog[3] + 88, 10)
        self.assertEqual(code, 0, "the frame did not follow the drag")
        time.sleep(0.2)
        after = {i: rect_of(i) for i in (ID_PRESETS, ID_GRAPH, ID_OK)}
        self.assertEqual((rect_of(0)[2] - dialog[2], rect_of(0)[3] - dialog[3]), (120, 90))
        self.assertEqual([a - b for a, b in zip(after[ID_PRESETS], before[ID_PRESETS])], [0, 0, 0, 90])
        self.assertEqual([a - b for a, b in zip(after[ID_GRAPH], before[ID_GRAPH])], [0, 0, 120, 90])
        self.assertEqual([a - b for a, b in zip(after[ID_OK], before[ID_OK])], [120, 90, 120, 90])

        # A shaped curve for the documentation, with one point being dragged.
        self.click_row(3)
        self.expect_type("GraEQ 1/3 oct")
        shots = os.environ.get("MELODEK_SCREENSHOTS")
        if shots:
            plot = Plot(rect_of(ID_GRAPH))
            x, y = plot.x(2500), plot.y(smile[20][1])
            probe("press", x, y)  # makes the point hot: its ring shows
            subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (
                rect_of(0)[2] - rect_of(0)[0], rect_of(0)[3] - rect_of(0)[1], rect_of(0)[0], rect_of(0)[1]),
                os.path.join(shots, "equalizer.png")], check=True, timeout=30)

        self.close_equalizer()
        self.assertEqual(app.exit(), 0)
        saved = self.saved(app)
        presets = saved.presets
        self.assertEqual([(p["id"], p["name"], p["type"]) for p in presets[:4]],
                         [(0, "Default", 0), (3, "bass", 1), (4, "halves", 3), (5, "smile", 5)])
        self.assertEqual([(x, y) for _, x, y in presets[1]["points"]], para)
        self.assertEqual([(x, y) for _, x, y in presets[2]["points"]], [(bins(f), 1.0) for f in OCTAVE])
        fresh = presets[4:]
        self.assertEqual([(p["name"], p["type"]) for p in fresh], [("new", 1), ("new", 1)])
        self.assertNotEqual(fresh[0]["id"], fresh[1]["id"])
        self.assertTrue(all(p["id"] > 7 for p in fresh))  # never an id a file or preset holds
        self.assertEqual(len(fresh[0]["points"]), 2)
        points = fresh[1]["points"]
        self.assertEqual(len(points), 3)
        self.assertEqual(points[0][1:], (FRESH_LOW, 1.0))
        self.assertEqual(points[2][1:], (FRESH_HIGH, 1.0))
        # Where the click was, within the pixel it hit.
        self.assertLess(abs(math.log2(points[1][1] / bins(1000))) * edited.width / 10, 1.5)
        self.assertAlmostEqual(points[1][2], 1.5, delta=2 / edited.height)
        # The last choice in the list ("smile") is the file's preset now.
        self.assertEqual(saved.lists[0]["files"][0]["preset"], 5)


if __name__ == "__main__":
    unittest.main()
