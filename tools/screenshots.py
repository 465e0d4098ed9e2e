#!/usr/bin/env python3
"""Drives Melodek for the README's pictures (run by tools/screenshots.sh,
which sets up the display and Wine): the title display, the Controller, and
the Controller with a button's tool tip. Usage: screenshots.py <out folder>"""
import os
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from melodek_e2e import Melodek, probe, settings_bytes, tone_file, wait_for, write_bytes  # noqa: E402

CONTROLLER_AT = (80, 140)


def grab(path, left, top, width, height):
    subprocess.run(["import", "-display", os.environ["DISPLAY"], "-window", "root",
                    "-crop", "%dx%d+%d+%d" % (width, height, left, top), "+repage", path], check=True)


def window_rect(window):
    first = probe("window-info", window)[1].splitlines()[0].split()
    return tuple(map(int, first[1:5]))


def main():
    out = sys.argv[1]
    app = Melodek("screenshots")
    song = tone_file(os.path.join(app.folder, "Morning Light - Quiet Harbour.wav"), 3000, frames=44100 * 600)
    settings = bytearray(settings_bytes([("new", [])], [], volume=80))
    settings[4:12] = struct.pack("<ii", *CONTROLLER_AT)
    write_bytes(os.path.join(app.folder, "melodek.mlcfg"), bytes(settings))
    app.start()
    title = probe("title-window")[1]
    subprocess.run(["wine", app.exe, app.windows_path(song)], cwd=app.folder, env=app.env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    # The title display, while it is still fully opaque.
    if not wait_for(lambda: probe("window-info", title)[1].startswith("1"), timeout=10):
        raise SystemExit("the title display did not show")
    left, top, right, bottom = window_rect(title)
    # Only its own height: Wine shows its tray window just below it.
    grab(os.path.join(out, "title_display.png"), 0, 0, right + 24, bottom)
    # The Controller, playing, with the title in its caption.
    controller = probe("controller")[1]
    app.command(32781)
    wait_for(lambda: "Morning Light" in probe("window-info", controller)[1])
    time.sleep(4.5)  # the title display has faded; the thumb has moved on
    left, top, right, bottom = window_rect(controller)
    grab(os.path.join(out, "controller.png"), left - 16, top - 16, right - left + 32, bottom - top + 32)
    # The mouse on Play: its tool tip (below the cursor, so the picture is taller).
    play = tuple(map(int, probe("control-rect", controller, 1012)[1].split()))
    probe("mouse", "move", (play[0] + play[2]) // 2, (play[1] + play[3]) // 2)
    if not wait_for(lambda: "Play" in probe("tips")[1].splitlines(), timeout=10):
        raise SystemExit("the Play button's tool tip did not show")
    time.sleep(0.5)
    grab(os.path.join(out, "controller_tooltip.png"), left - 16, top - 16, right - left + 32, bottom - top + 56)
    app.exit()


if __name__ == "__main__":
    main()
