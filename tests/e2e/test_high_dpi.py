"""Melodek on a screen at 150 % (144 DPI) against the same at 96 DPI: the
Controller's icons, the curve editor's handles and hot ring, the title
display's font and the dialogs grow by half; a handle is still grabbed
under the mouse and dragged. With MELODEK_SCREENSHOTS set to a folder the
Controller, play list editor, Equalizer, Jump to File and title display are
pictured at each DPI into <folder>/dpi96 and <folder>/dpi144."""
import os
import subprocess
import time

from melodek_e2e import (FramedMelodekTestCase, probe, settings_bytes, tone_file, wait_for, window_when_made,
                         wine_reg, write_bytes)
from test_equalizer_dialog import ID_GRAPH, bins, rect_of
from test_playlist_editor import EDITOR

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
ID_CONTROLLER, ID_EQUALIZER, ID_PLAYLIST_EDIT, ID_PLAY, ID_JUMP = 32781, 32785, 32771, 32773, 32786
IDC_CTL_STOP = 1016
HANDLE, HOT_RING = (0, 128, 255), (255, 128, 0)
OCTAVE = [31.25, 62.5, 125, 250, 500, 1000, 2000, 4000, 8000, 16000]


def screen_pixels(box):
    """The screen's pixels in box (left, top, right, bottom) as rows of RGB tuples."""
    left, top, right, bottom = box
    width, height = right - left, bottom - top
    raw = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, left, top),
                          "-depth", "8", "rgb:-"], stdout=subprocess.PIPE, check=True, timeout=30).stdout
    return [[tuple(raw[3 * (y * width + x):3 * (y * width + x) + 3]) for x in range(width)] for y in range(height)]


def squares(box, colour):
    """Bounding boxes (screen coordinates) of the connected areas of one colour."""
    pixels = screen_pixels(box)
    seen, found = set(), []
    for y, row in enumerate(pixels):
        for x, pixel in enumerate(row):
            if pixel != colour or (x, y) in seen:
                continue
            stack, xs, ys = [(x, y)], [], []
            seen.add((x, y))
            while stack:
                px, py = stack.pop()
                xs.append(px)
                ys.append(py)
                for nx, ny in ((px + 1, py), (px - 1, py), (px, py + 1), (px, py - 1)):
                    if 0 <= ny < len(pixels) and 0 <= nx < len(row) and (nx, ny) not in seen \
                            and pixels[ny][nx] == colour:
                        seen.add((nx, ny))
                        stack.append((nx, ny))
            found.append((box[0] + min(xs), box[1] + min(ys), box[0] + max(xs) + 1, box[1] + max(ys) + 1))
    return found


def glyph(button):
    """The bounding box of the dark pixels of a button's icon (inside its frame)."""
    inner = (button[0] + 3, button[1] + 3, button[2] - 3, button[3] - 3)
    dark = [(x, y) for y, row in enumerate(screen_pixels(inner)) for x, pixel in enumerate(row) if sum(pixel) < 200]
    return (min(x for x, _ in dark), min(y for _, y in dark), max(x for x, _ in dark) + 1, max(y for _, y in dark) + 1)


def size(rect):
    return rect[2] - rect[0], rect[3] - rect[1]


def window_rect(window):
    return tuple(map(int, probe("window-info", window)[1].splitlines()[0].split()[1:5]))


class HighDpiTest(FramedMelodekTestCase):
    wine_frame_values = ("Managed",)

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        wine_reg("delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
        # Wine's desktop process sized its tray window for 144 DPI and keeps
        # it so: end it, and the next program starts a new one at 96 DPI.
        subprocess.run(["wine", "taskkill", "/f", "/im", "explorer.exe"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)

    def shoot(self, dpi, name, rect):
        folder = os.environ.get("MELODEK_SCREENSHOTS")
        if not folder:
            return
        os.makedirs(os.path.join(folder, "dpi%d" % dpi), exist_ok=True)
        left, top, right, bottom = rect
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                        "+repage", os.path.join(folder, "dpi%d" % dpi, name)], check=True, timeout=30)

    def measure(self, dpi):
        """Starts Melodek at a DPI and measures what it draws."""
        wine_reg("add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
        app = self.melodek("dpi%d" % dpi)
        song = tone_file(os.path.join(app.folder, "Morning Light - Quiet Harbour.wav"), 3000, frames=44100 * 60)
        octave = [(bins(f), 1.0) for f in OCTAVE]
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"), settings_bytes(
            [("new", [(7, app.windows_path(song), 0, 5)])], [(0, "Default", 0, []), (5, "octave", 3, octave)],
            sel_file_id=7))
        app.start()
        seen = {}

        # The title display when the file starts, the Controller playing it.
        app.command(ID_PLAY)
        title = window_when_made("title-window")
        self.assertTrue(wait_for(lambda: probe("window-info", title)[1].startswith("1"), timeout=10))
        seen["title"] = size(window_rect(title))
        self.shoot(dpi, "title_display.png", window_rect(title))
        app.command(ID_CONTROLLER)
        controller = window_when_made("controller")
        self.assertTrue(wait_for(lambda: probe("window-info", controller)[1].startswith("1"), timeout=10))
        seen["dpi"] = int(probe("dpi", controller)[1])
        seen["controller"] = size(window_rect(controller))
        button = tuple(map(int, probe("control-rect", controller, IDC_CTL_STOP)[1].split()))
        seen["glyph"] = size(glyph(button))
        time.sleep(4.5)  # the title display has faded
        self.shoot(dpi, "controller.png", window_rect(controller))
        if dpi == 96:
            # Moved to a monitor at 150 %: the suggested rectangle, icons made for it.
            left, top = window_rect(controller)[:2]
            wanted = (left, top, left + 321, top + 104)
            probe("dpi-changed", controller, 144, *wanted)
            seen["moved"] = window_rect(controller) == wanted
            seen["glyph after move"] = size(glyph(tuple(map(int, probe("control-rect", controller, IDC_CTL_STOP)[1].split()))))
        app.command(ID_CONTROLLER)

        # The curve editor: its handles, the hot ring of a pressed one, and
        # the handle following the mouse.
        app.command(ID_EQUALIZER)
        self.assertTrue(wait_for(lambda: probe("visible", "Equalizer")[0] == 0, timeout=10))
        time.sleep(0.5)
        graph = rect_of(ID_GRAPH)
        handles = sorted(squares(graph, HANDLE))
        self.assertEqual(len(handles), len(OCTAVE), handles)
        seen["handle"] = size(handles[5])
        # The plot's margin: where the flat curve starts, right of the edge.
        middle = (handles[0][1] + handles[0][3]) // 2
        row = screen_pixels((graph[0], middle, graph[2], middle + 1))[0]
        seen["margin"] = next(i for i, pixel in enumerate(row) if pixel == (0, 0, 0))
        x, y = (handles[5][0] + handles[5][2]) // 2, (handles[5][1] + handles[5][3]) // 2
        probe("mouse", "move", x, y)
        probe("mouse", "down", x, y)
        time.sleep(0.3)
        rings = squares(graph, HOT_RING)
        seen["ring"] = size((min(r[0] for r in rings), min(r[1] for r in rings),
                             max(r[2] for r in rings), max(r[3] for r in rings))) if rings else None
        lift = (graph[3] - graph[1]) // 5
        for step in range(1, 6):
            probe("mouse", "move", x, y - lift * step // 5)
        self.shoot(dpi, "equalizer.png", rect_of(0))
        probe("mouse", "up", x, y - lift)
        time.sleep(0.3)
        moved = sorted(squares(graph, HANDLE))[5]
        seen["dragged"] = y - (moved[1] + moved[3]) // 2
        seen["lift"] = lift
        seen["equalizer"] = size(rect_of(0))
        probe("send-keys", 0, 27)  # Escape: Cancel
        self.assertTrue(wait_for(lambda: probe("visible", "Equalizer")[0] != 0, timeout=10))

        app.command(ID_PLAYLIST_EDIT)
        self.assertTrue(wait_for(lambda: probe("visible", EDITOR)[0] == 0, timeout=10))
        time.sleep(0.5)
        editor = tuple(map(int, probe("dialog-window-rect", EDITOR)[1].split()))
        seen["editor"] = size(editor)
        self.shoot(dpi, "playlist_editor.png", editor)
        probe("send-keys", 0, 27)
        self.assertTrue(wait_for(lambda: probe("visible", EDITOR)[0] != 0, timeout=10))

        # Jump to File, searching.
        app.command(ID_JUMP)
        self.assertTrue(wait_for(lambda: probe("visible", "Jump to File")[0] == 0, timeout=10))
        time.sleep(0.5)
        probe("type", "harbour")
        self.assertTrue(wait_for(lambda: probe("row-count", "Jump to File", 1041)[1] == "1", timeout=10))
        time.sleep(0.3)
        jump = tuple(map(int, probe("dialog-window-rect", "Jump to File")[1].split()))
        seen["jump"] = size(jump)
        self.shoot(dpi, "jump_to_file.png", jump)
        probe("send-keys", 0, 27)
        self.assertEqual(app.exit(), 0)
        return seen

    def test_everything_drawn_grows_with_the_screens_scaling(self):
        normal = self.measure(96)
        large = self.measure(144)
        self.assertEqual((normal["dpi"], large["dpi"]), (96, 144))
        # Pixel sizes of the program's own drawing: exactly as designed at
        # 96 DPI, half as large again at 144 DPI (rounded to nearest).
        self.assertEqual((normal["handle"], large["handle"]), ((7, 7), (11, 11)))
        self.assertEqual((normal["margin"], large["margin"]), (10, 15))
        # The Stop icon's square: from the icon image made for the size.
        self.assertEqual((normal["glyph"], large["glyph"]), ((8, 8), (12, 12)))
        # A DPI change while running: moved where the system suggests, icons
        # made again for the new DPI.
        self.assertTrue(normal["moved"])
        self.assertEqual(normal["glyph after move"], (12, 12))
        self.assertEqual((normal["ring"], large["ring"]), ((9, 9), (14, 14)))
        # The grabbed handle followed the mouse.
        for seen in (normal, large):
            self.assertLessEqual(abs(seen["dragged"] - seen["lift"]), 2, seen)
        # Windows and fonts: about half as large again.
        for part in ("controller", "title", "equalizer", "editor", "jump"):
            for axis in (0, 1):
                ratio = large[part][axis] / normal[part][axis]
                self.assertTrue(1.35 <= ratio <= 1.65, (part, normal[part], large[part]))
