"""File names in any script: handed over from a second start in a ".m3u8"
list, dropped on the play list editor, shown with their real names, saved
as 16-bit strings, played bit-exactly and kept over a restart; settings and
".m3u" lists written by older programs in legacy code pages."""
import math
import os
import subprocess
import time

from melodek_e2e import (FramedMelodekTestCase, SettingsFile, probe, read_bytes, settings_bytes, wait_for, without_gaps,
                         write_bytes, write_wav)
from test_playlist_editor import EDITOR, FILES, LISTS, Editor

FOLDER = "Musique été"
SONGS = {"日本語の歌.wav": 440, "Ünïcödé 🎵.wav": 660, "Café.wav": 550}


def song_frames(hertz, frames=13229):
    """A sine of its own per file, so the capture tells which one played
    (no silent frame: the capture's silence is left out when compared)."""
    return [(int(9000 * math.sin(2 * math.pi * hertz * (i + 1) / 44100)),) * 2 for i in range(frames)]


def contains(frames, part):
    """True when `part` appears in `frames` as one unbroken stretch."""
    pack = lambda fs: b"".join(l.to_bytes(2, "little", signed=True) + r.to_bytes(2, "little", signed=True)
                               for l, r in fs)
    return pack(part) in pack(frames)


class UnicodeNamesTest(FramedMelodekTestCase):
    wine_frame_values = ("Managed",)

    def saved(self, app):
        return SettingsFile(read_bytes(os.path.join(app.folder, "melodek.mlcfg")))

    def second_start(self, app, *args):
        subprocess.run(["wine", app.exe, *args], cwd=app.folder, env=app.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)

    def test_names_beyond_the_code_page_travel_everywhere(self):
        app = self.melodek()
        folder = os.path.join(app.folder, FOLDER)
        os.makedirs(folder)
        frames = {}
        for name, hertz in SONGS.items():
            frames[name] = song_frames(hertz)
            write_wav(os.path.join(folder, name), frames[name])
        japanese, unicode_name, cafe = SONGS
        # The ".m3u8" list names its files relative to itself, in UTF-8.
        with open(os.path.join(folder, "liste.m3u8"), "w", encoding="utf-8") as f:
            f.write("#EXTM3U\n%s\n%s\n" % (japanese, unicode_name))
        # Lists of older programs: Western legacy bytes, and UTF-8 without a mark.
        write_bytes(os.path.join(folder, "western.m3u"), ("%s\r\n" % cafe).encode("cp1252"))
        write_bytes(os.path.join(folder, "utf8.m3u"), ("%s\n" % japanese).encode("utf-8"))
        win = lambda name: app.windows_path(os.path.join(folder, name))

        # Handed over from a second start: both play, bit for bit.
        app.start()
        self.second_start(app, win("liste.m3u8"))
        heard = lambda: without_gaps(app.captured_frames())
        self.assertTrue(wait_for(lambda: contains(heard(), frames[japanese]) and contains(heard(), frames[unicode_name]),
                                 timeout=30), "both handed-over files play bit-exactly")
        self.second_start(app, win("western.m3u"), win("utf8.m3u"))
        time.sleep(1)

        # Dropped on the editor's list pane: a new list named after the folder.
        probe("send-keys", 10, 112)  # the editor's hot key
        self.assertTrue(wait_for(lambda: probe("visible", EDITOR)[0] == 0, timeout=15))
        ed = Editor()
        x, y = ed.below_last_row(LISTS)
        probe("drop-files", x, y, app.windows_path(folder))
        self.assertTrue(wait_for(lambda: ed.texts(LISTS)[-1:] == [FOLDER], timeout=10), ed.texts(LISTS))
        ed.click_row(LISTS, len(ed.texts(LISTS)) - 1)
        self.assertEqual(sorted(ed.names(FILES)),
                         sorted([os.path.splitext(n)[0] for n in SONGS] + ["liste", "utf8", "western"]))
        # The hand-overs put each argument's files at the head of the first list.
        ed.click_row(LISTS, 0)
        self.assertEqual(ed.names(FILES), [os.path.splitext(n)[0] for n in (cafe, japanese, unicode_name, japanese)])
        probe("send-keys", 0, 13)  # OK
        self.assertTrue(wait_for(lambda: probe("visible", EDITOR)[0] != 0, timeout=10))
        self.assertEqual(app.exit(), 0)

        # Saved as 16-bit strings with the real names; unchanged by a restart.
        saved = self.saved(app)
        handed = [f["path"] for f in saved.lists[0]["files"]]
        self.assertEqual(handed, [win(cafe), win(japanese), win(unicode_name), win(japanese)])
        self.assertEqual(saved.lists[-1]["name"], FOLDER)
        self.assertTrue({FOLDER, win(japanese), win(unicode_name), win(cafe), "日本語の歌"} <= saved.wide, saved.wide)
        before = read_bytes(os.path.join(app.folder, "melodek.mlcfg"))
        app.start()
        self.assertEqual(app.exit(), 0)
        self.assertEqual(read_bytes(os.path.join(app.folder, "melodek.mlcfg")), before)

    def test_settings_of_older_programs_load_from_their_code_page(self):
        cases = [("cp1252", "C.UTF-8", "Musique été", "C:\\Chansons\\Café.wav"),
                 ("cp932", "ja_JP.UTF-8", "日本語のリスト", "C:\\音楽\\日本語の歌.wav")]
        for encoding, locale, name, path in cases:
            with self.subTest(encoding=encoding):
                app = self.melodek("legacy_" + encoding)
                app.env["LC_ALL"] = locale  # the user's legacy code page comes from the locale
                write_bytes(os.path.join(app.folder, "melodek.mlcfg"),
                            settings_bytes([(name, [(1, path, 0, 0)])], [], encoding=encoding))
                app.start()
                self.assertEqual(app.exit(), 0)
                saved = self.saved(app)
                self.assertEqual((saved.lists[0]["name"], saved.lists[0]["files"][0]["path"]), (name, path))
                self.assertTrue({name, path} <= saved.wide)
                app.kill()
