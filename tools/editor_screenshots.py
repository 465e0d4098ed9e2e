"""Screenshots of the play list editor under Xvfb for docs/: two lists, a
current file, the list's measured loudness, and the volume popup open (Wine
without a window manager draws no caption). Run with the Wine environment of
scripts/wine-env.sh up (DISPLAY, WINEPREFIX) and MELODEK_BUILD set:
    python3 tools/editor_screenshots.py docs/"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
from melodek_e2e import Melodek, neutral_folder, probe, settings_bytes, tone_file, wait_for, write_bytes  # noqa: E402
from test_playlist_editor import EDITOR, FILES, LISTS, SLIDER, Editor, numbers  # noqa: E402


def shoot(path, box):
    left, top, right, bottom = box
    subprocess.run("xwd -root -display %s | convert xwd:- -crop %dx%d+%d+%d +repage %s"
                   % (os.environ["DISPLAY"], right - left, bottom - top, left, top, path), shell=True, check=True)


def main(out):
    app = Melodek("screenshots")
    try:
        songs = ["Blue Train", "Moment's Notice", "Locomotion", "I'm Old Fashioned", "Lazy Bird",
                 "So What", "Freddie Freeloader", "Blue in Green", "All Blues", "Flamenco Sketches"]
        # The files in C:\Music: a path in a tool tip names no build folder.
        music, windows_music = neutral_folder()
        files = []
        for i, name in enumerate(songs):
            file_name = "%02d %s.wav" % (i + 1, name)
            # A second each, at levels of their own: the Loudness column differs.
            tone_file(os.path.join(music, file_name), 1000 + 700 * i, frames=44100)
            files.append((i + 1, windows_music + "\\" + file_name, [0, 0, 10, 0, -20][i % 5], 0))
        lists = [("Jazz", files), ("Evening", [(20, windows_music + "\\evening.wav", 0, 0)])]
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"),
                    settings_bytes(lists, [(0, "Default", 0, []), (50, "Bass boost", 1, [])], sel_file_id=3))
        app.start()
        probe("send-keys", 10, 112)
        wait_for(lambda: probe("visible", EDITOR)[0] == 0, timeout=15)
        ed = Editor()
        # The list's loudness, measured from the list pane's menu.
        x, y = ed.row_point(LISTS, 0)
        probe("click", x, y, "right")
        wait_for(lambda: probe("menu-window")[0] == 0, timeout=10)
        probe("send-keys", 0, 40)
        probe("send-keys", 0, 13)
        wait_for(lambda: probe("text", EDITOR, 1044)[1].startswith("Loudness measured"), timeout=60)
        # The volume popup, right after it opens from the file pane's menu.
        ed.click_row(FILES, 5)
        x, y = ed.row_point(FILES, 5)
        probe("click", x, y, "right")
        wait_for(lambda: probe("menu-window")[0] == 0, timeout=10)
        probe("send-keys", 0, 40)
        probe("send-keys", 0, 13)
        wait_for(lambda: probe("dialog-rect", SLIDER)[0] == 0, timeout=10)
        time.sleep(1)
        frame = ed.rect()
        popup = numbers(probe("dialog-rect", SLIDER)[1])
        box = (min(frame[0], popup[0]), min(frame[1], popup[1]), max(frame[2], popup[2]) + 4, max(frame[3], popup[3]) + 4)
        shoot(os.path.join(out, "playlist_editor_volume.png"), box)
        probe("send-keys", 0, 27)
        # Then the editor with two files selected.
        probe("send-keys", 2, 40)
        probe("send-keys", 2, 32)
        probe("mouse", "move", 1200, 780)  # off the list: no path's tool tip in the picture
        time.sleep(6)  # the path's tool tip is gone again
        shoot(os.path.join(out, "playlist_editor.png"), (frame[0], frame[1], frame[2] + 4, frame[3] + 4))
        # The loudness column scrolled into view.
        probe("send-item", EDITOR, FILES, 0x1014, 400, 0)  # LVM_SCROLL
        time.sleep(1)
        shoot(os.path.join(out, "playlist_editor_loudness.png"), (frame[0], frame[1], frame[2] + 4, frame[3] + 4))
    finally:
        app.kill()


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "docs")
