"""The play list editor end to end: the real program under Wine, driven only
with real mouse and key input (SendInput), its hot key and its menu, and
checked through what it shows, plays and saves."""
import os
import shutil
import struct
import time

from melodek_e2e import (FramedMelodekTestCase, SettingsFile, probe, read_bytes, settings_bytes, tone_file,
                         wait_for, write_bytes, write_text)

EDITOR = "PlayListEdit"
LISTS, FILES, OK_BUTTON, SPLITTER, PLAY_MODE = 1000, 1001, 1, 1020, 1014
SLIDER = 1021
CTRL, DELETE, F2, ESCAPE, ENTER, RIGHT, UP, DOWN = 17, 46, 113, 27, 13, 39, 38, 40


def numbers(text):
    return [int(v) for v in text.split()]


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


class Editor:
    """The open editor seen from outside."""

    def rect(self, control=None):
        code, text = probe("dialog-window-rect", EDITOR) if control is None else probe("item-rect", EDITOR, control)
        assert code == 0, "no %s" % control
        return numbers(text)

    def row_point(self, pane, row):
        code, text = probe("list-row-rect", EDITOR, pane, row)
        assert code == 0, "no row %d in %d" % (row, pane)
        left, top, right, bottom = numbers(text)
        pane_rect = self.rect(pane)
        return min(left + 30, (pane_rect[0] + pane_rect[2]) // 2), (top + bottom) // 2

    def below_last_row(self, pane):
        rect = self.rect(pane)
        return (rect[0] + rect[2]) // 2, rect[3] - 25

    def texts(self, pane, column=0):
        count = int(probe("row-count", EDITOR, pane)[1])
        return [probe("row-text", EDITOR, pane, row, column)[1] for row in range(count)]

    def names(self, pane):
        """The file pane's rows by file name without extension (the title
        the WAV plug-in gives, or the path when no plug-in has one)."""
        return [os.path.splitext(os.path.basename(t.replace("\\", "/")))[0] for t in self.texts(pane)]

    def state(self, pane, row):
        return int(probe("row-state", EDITOR, pane, row)[1])

    def selected(self, pane):
        count = int(probe("row-count", EDITOR, pane)[1])
        return [row for row in range(count) if self.state(pane, row) & 2]

    def click(self, x, y, right=False):
        probe("click", x, y, *(["right"] if right else []))
        time.sleep(0.15)

    def click_row(self, pane, row):
        self.click(*self.row_point(pane, row))
        time.sleep(0.6)  # the next click on it is no double click

    def add_to_selection(self, pane, row):
        """Ctrl+arrows move the focus without selecting, Ctrl+Space adds
        the focused row (Wine forgets a Ctrl held across a mouse click)."""
        focused = [r for r in range(int(probe("row-count", EDITOR, pane)[1])) if self.state(pane, r) & 1][0]
        for _ in range(abs(row - focused)):
            probe("send-keys", 2, DOWN if row > focused else 38)
        probe("send-keys", 2, 32)
        time.sleep(0.2)

    def drag(self, start, end):
        probe("mouse-drag", start[0], start[1], end[0], end[1], 10)
        time.sleep(0.3)

    def key(self, vk, times=1):
        for _ in range(times):
            probe("send-keys", 0, vk)
        time.sleep(0.2)


class PlayListEditorTest(FramedMelodekTestCase):
    # Wine draws and sizes the frames itself only for windows it does not
    # leave to a window manager.
    wine_frame_values = ("Managed", "Decorated")

    def wait_editor(self, shown=True):
        self.assertTrue(wait_for(lambda: (probe("visible", EDITOR)[0] == 0) == shown, timeout=15),
                        "editor %s" % ("shown" if shown else "closed"))

    def open_editor(self):
        probe("send-keys", 10, 112)  # Ctrl+Win+F1: the editor's hot key
        self.wait_editor()
        time.sleep(0.3)
        return Editor()

    def level_heard(self, app, level):
        return any(abs(left - level) <= 1 for left, _ in app.captured_frames()[-200000:])

    def test_editing_lists_and_files_with_mouse_and_keys(self):
        app = self.melodek()
        folder = app.folder
        levels = [1000, 2000, 3000, 4000, 5000]
        paths = []
        for i, level in enumerate(levels):
            frames = 44100 * 120 if i == 2 else 4410  # t2 plays long enough to be heard changing
            paths.append(app.windows_path(tone_file(os.path.join(folder, "t%d.wav" % i), level, frames=frames)))
        lists = [("A", [(i + 1, paths[i], 0, 0) for i in range(5)]),
                 ("B", [(6, "x.wav", 0, 0), (7, "y.wav", 0, 0)]),
                 ("C", [(8, "z.wav", 0, 0)])]
        write_bytes(os.path.join(folder, "melodek.mlcfg"),
                    settings_bytes(lists, [(0, "Default", 0, [])], sel_file_id=3, play_mode=4))  # One Repeat: t2 stays current
        app.start()
        ed = self.open_editor()

        # Lists and the current list's files are shown; the current file is marked.
        self.assertEqual(ed.texts(LISTS), ["A", "B", "C"])
        self.assertEqual(ed.names(FILES), ["t0", "t1", "t2", "t3", "t4"])
        self.assertTrue(ed.state(FILES, 2) & 0x80)
        self.assertEqual(ed.selected(LISTS), [0])

        # A double click plays the file.
        x, y = ed.row_point(FILES, 2)
        probe("double-click", x, y)
        self.assertTrue(wait_for(lambda: self.level_heard(app, 3000), timeout=20), "t2 plays")

        # Files 1 and 3 dragged onto row 0, then below the last row.
        ed.click_row(FILES, 1)
        ed.add_to_selection(FILES, 3)
        self.assertEqual(ed.selected(FILES), [1, 3])
        ed.drag(ed.row_point(FILES, 1), ed.row_point(FILES, 0))
        self.assertEqual(ed.names(FILES), ["t1", "t3", "t0", "t2", "t4"])
        self.assertEqual(ed.selected(FILES), [0, 1])
        ed.drag(ed.row_point(FILES, 0), ed.below_last_row(FILES))
        self.assertEqual(ed.names(FILES), ["t0", "t2", "t4", "t1", "t3"])

        # Right click, "Volume and Equalizer..." on its menu, volume 10 in the
        # popup: every selected file gets 10 and the playing one is heard
        # louder at once.
        ed.click_row(FILES, 0)
        ed.add_to_selection(FILES, 1)
        x, y = ed.row_point(FILES, 1)
        ed.click(x, y, right=True)
        self.assertTrue(wait_for(lambda: probe("menu-window")[0] == 0, timeout=10), "file menu")
        ed.key(DOWN)
        ed.key(ENTER)
        self.assertTrue(wait_for(lambda: probe("dialog-rect", SLIDER)[0] == 0, timeout=10), "volume popup")
        ed.key(RIGHT, 10)
        popup = numbers(probe("dialog-rect", SLIDER)[1])
        ed.click(popup[0] + 6, popup[1] + 6)  # on the popup itself: take the slider's value
        self.assertTrue(wait_for(lambda: probe("dialog-rect", SLIDER)[0] != 0, timeout=10), "popup closed")
        self.assertTrue(wait_for(lambda: ed.texts(FILES, 1)[:3] == ["10", "10", "0"], timeout=5),
                        ed.texts(FILES, 1))
        multiplier = (int(10 * 163.84) + 32768) * 16384 // 32768  # the file's gain on the volume
        louder = (3000 * multiplier) >> 14
        self.assertTrue(wait_for(lambda: self.level_heard(app, louder), timeout=20), "gain of the playing file")

        # The selected files (t0 and the playing t2) dragged onto list B's row
        # go to B's end; the moved current file stays current.
        ed.drag(ed.row_point(FILES, 0), ed.row_point(LISTS, 1))
        self.assertEqual(ed.names(FILES), ["t4", "t1", "t3"])
        ed.click_row(LISTS, 1)
        self.assertEqual(ed.names(FILES), ["x", "y", "t0", "t2"])
        self.assertTrue(ed.state(FILES, 3) & 0x80)

        # Delete in the file pane.
        ed.click_row(FILES, 0)
        ed.key(DELETE)
        self.assertEqual(ed.names(FILES), ["y", "t0", "t2"])

        # Renaming: Escape keeps the name, Enter takes the new one.
        ed.click_row(LISTS, 2)
        ed.key(F2)
        probe("type", "Zed")
        ed.key(ESCAPE)
        self.assertEqual(ed.texts(LISTS), ["A", "B", "C"])
        ed.key(F2)
        probe("type", "Cee")
        ed.key(ENTER)
        self.assertEqual(ed.texts(LISTS), ["A", "B", "Cee"])

        # Delete in the list pane: B deleted from A, B, Cee selects Cee.
        ed.click_row(LISTS, 1)
        ed.key(DELETE)
        self.assertEqual(ed.texts(LISTS), ["A", "Cee"])
        self.assertEqual(ed.selected(LISTS), [1])
        self.assertEqual(ed.names(FILES), ["z"])

        # A second open is turned away; the first stays usable.
        windows = probe("count-windows")[1]
        probe("send-keys", 10, 112)
        time.sleep(1.0)
        self.assertEqual(probe("count-windows")[1], windows)
        ed.click(*centre(ed.rect(1010)))  # Add
        self.assertEqual(ed.texts(LISTS), ["A", "Cee", "new"])
        ed.click_row(LISTS, 2)
        ed.key(DELETE)
        self.assertEqual(ed.texts(LISTS), ["A", "Cee"])

        # A play mode changed and then Cancel (Escape) keeps the old one.
        ed.click(*centre(ed.rect(PLAY_MODE)))
        ed.key(UP)
        ed.key(ENTER)
        self.assertEqual(probe("combo-sel", EDITOR, PLAY_MODE)[1], "3")
        ed.click_row(LISTS, 0)
        ed.key(ESCAPE)
        self.wait_editor(shown=False)
        ed = self.open_editor()
        self.assertEqual(probe("combo-sel", EDITOR, PLAY_MODE)[1], "4")
        self.assertEqual(ed.names(FILES), ["t4", "t1", "t3"])

        # Widening by 40 pixels widens the file pane and moves OK; the
        # splitter stops 32 pixels short of the edge.
        frame, files, ok, lists_rect = ed.rect(), ed.rect(FILES), ed.rect(OK_BUTTON), ed.rect(LISTS)
        ed.drag((frame[2] - 2, (frame[1] + frame[3]) // 2), (frame[2] + 38, (frame[1] + frame[3]) // 2))
        wider = ed.rect(FILES)
        self.assertEqual(wider[2] - wider[0], files[2] - files[0] + 40)
        self.assertEqual(ed.rect(OK_BUTTON)[0], ok[0] + 40)
        self.assertEqual(ed.rect(LISTS), lists_rect)
        gap = ((lists_rect[2] + wider[0]) // 2, (lists_rect[1] + lists_rect[3]) // 2)
        ed.drag(gap, (gap[0] - 300, gap[1]))
        narrow, files_after = ed.rect(LISTS), ed.rect(FILES)
        self.assertEqual(narrow[2] - narrow[0], 32)

        # Play mode Random All with OK.
        ed.click(*centre(ed.rect(PLAY_MODE)))
        ed.key(UP, 2)
        ed.key(ENTER)
        self.assertEqual(probe("combo-sel", EDITOR, PLAY_MODE)[1], "2")
        ed.click(*centre(ed.rect(OK_BUTTON)))
        self.wait_editor(shown=False)

        # The layout comes back at the next open.
        ed = self.open_editor()
        self.assertEqual(ed.rect(LISTS), narrow)
        self.assertEqual(ed.rect(FILES), files_after)

        self.drops(app, ed)

        ed.click(*centre(ed.rect(OK_BUTTON)))
        self.wait_editor(shown=False)
        self.assertEqual(app.exit(), 0)

        saved = SettingsFile(read_bytes(os.path.join(folder, "melodek.mlcfg")))
        self.assertEqual(saved.play_mode, 2)
        by_name = {l["name"]: l for l in saved.lists}
        names = [os.path.splitext(os.path.basename(f["path"].replace("\\", "/")))[0] for f in by_name["A"]["files"]]
        self.assertEqual(names[:3], ["t4", "t1", "t3"])
        self.assertEqual(sorted(names[3:5]), ["one", "two"])
        self.assertEqual(names[5:], ["song"])
        # Shown files got their titles stored.
        self.assertTrue(all(f["title"] for f in by_name["A"]["files"][:3]))
        self.assertEqual([f["name"] for f in saved.lists], ["album.m3u", "A", "Cee", "Album"])
        rects = saved.rects
        self.assertNotEqual(rects[0][0], rects[0][2])
        self.assertEqual(rects[1][2] - rects[1][0], 32)

        # Saved off the desktop, the editor is pulled back onto it.
        data = bytearray(read_bytes(os.path.join(folder, "melodek.mlcfg")))
        width, height = rects[0][2] - rects[0][0], rects[0][3] - rects[0][1]
        # (The optional block of newer settings follows the layout.)
        struct.pack_into("<4i", data, saved.rects_at, 1280 - width + 50, 100, 1280 + 50, 100 + height)
        write_bytes(os.path.join(folder, "melodek.mlcfg"), bytes(data))
        app.start()
        ed = self.open_editor()
        frame = ed.rect()
        self.assertEqual((frame[0], frame[2]), (1280 - width, 1280))
        ed.key(ESCAPE)
        self.wait_editor(shown=False)
        self.assertEqual(app.exit(), 0)

    def drops(self, app, ed):
        """Dropping a folder and a ".m3u" list (with a relative path line) on
        both panes; the relative entry plays."""
        album = os.path.join(app.folder, "Album")
        shutil.rmtree(album, ignore_errors=True)
        os.makedirs(album)
        tone_file(os.path.join(album, "one.wav"), 600)
        tone_file(os.path.join(album, "two.wav"), 700)
        lists_folder = os.path.join(app.folder, "lists")
        os.makedirs(lists_folder, exist_ok=True)
        tone_file(os.path.join(lists_folder, "song.wav"), 7777, frames=44100 * 5)
        write_text(os.path.join(lists_folder, "album.m3u"), "#EXTM3U\n#EXTINF:5,Song\nsong.wav\n")
        folder_path, list_path = app.windows_path(album), app.windows_path(os.path.join(lists_folder, "album.m3u"))

        # On the list pane below the last row: two new lists in drop order.
        x, y = ed.below_last_row(LISTS)
        probe("drop-files", x, y, folder_path, list_path)
        self.assertTrue(wait_for(lambda: ed.texts(LISTS) == ["A", "Cee", "Album", "album.m3u"], timeout=10),
                        ed.texts(LISTS))
        ed.click_row(LISTS, 2)
        self.assertEqual(sorted(ed.names(FILES)), ["one", "two"])
        ed.click_row(LISTS, 3)
        self.assertEqual(ed.names(FILES), ["song"])

        # On the file pane of A below the last row: the entries are appended.
        ed.click_row(LISTS, 0)
        x, y = ed.below_last_row(FILES)
        probe("drop-files", x, y, folder_path, list_path)
        self.assertTrue(wait_for(lambda: len(ed.texts(FILES)) == 6, timeout=10), ed.texts(FILES))
        names = ed.names(FILES)
        self.assertEqual(names[:3], ["t4", "t1", "t3"])
        self.assertEqual(sorted(names[3:5]), ["one", "two"])
        self.assertEqual(names[5], "song")
        self.assertEqual(ed.texts(FILES, 1)[3:], ["0", "0", "0"])

        # The relative line plays.
        x, y = ed.row_point(FILES, 5)
        probe("double-click", x, y)
        self.assertTrue(wait_for(lambda: self.level_heard(app, 7777), timeout=20), "the list's relative entry plays")

        # Lists reordered by drag: the dragged list is shown.
        ed.click_row(LISTS, 3)
        ed.drag(ed.row_point(LISTS, 3), ed.row_point(LISTS, 0))
        self.assertEqual(ed.texts(LISTS), ["album.m3u", "A", "Cee", "Album"])
        self.assertEqual(ed.selected(LISTS), [0])
        self.assertEqual(ed.names(FILES), ["song"])
