"""The join between two files in what the device received (ALSA file
capture, faster than real time): frames from the first file's last sample
to the second file's first sample, with gapless playback on (0 expected)
and off (the drain, the device's reopening and the zero padding of the
first file's last buffer). Each file is a tone without a zero sample;
the first is 3.3 s, so its end falls inside a buffer.

Usage: join_gap.py. Environment as for the end-to-end tests."""
import array
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from melodek_e2e import Melodek, settings_bytes, wait_for, write_bytes, write_wav  # noqa: E402

RATE = 44100


def measure(gapless):
    app = Melodek("bench_join_%s" % ("on" if gapless else "off"))
    first, second = os.path.join(app.folder, "first.wav"), os.path.join(app.folder, "second.wav")
    write_wav(first, [(int(5000 * math.sin(i / 7.0)) or 1, 1000) for i in range(145553)])
    write_wav(second, [(-3000, int(4000 * math.cos(i / 5.0)) or 1) for i in range(RATE * 2)])
    record = b"MLDK.EXT" + bytes([7]) + b"gapless" + (4).to_bytes(4, "little") + int(gapless).to_bytes(4, "little")
    write_bytes(os.path.join(app.folder, "melodek.mlcfg"), settings_bytes(
        lists=[("l", [(1, app.windows_path(first), 0, 0), (2, app.windows_path(second), 0, 0)])],
        presets=[(0, "Default", 0, [])], sel_file_id=1) + record)
    app.start()
    app.command(32773)  # Play
    wait_for(lambda: len(app.captured_frames()) > 145553 + RATE, timeout=60)
    app.exit()
    frames = app.captured_frames()
    first_second = next(i for i, f in enumerate(frames) if f[0] == -3000 and f[1] != 1000)
    last_first = max(i for i, f in enumerate(frames[:first_second]) if f[1] == 1000)
    return first_second - last_first - 1


def main():
    print("%-12s %12s %10s" % ("join", "gap_frames", "gap_ms"))
    for gapless in (True, False):
        gap = measure(gapless)
        print("%-12s %12d %10.1f" % ("gapless" if gapless else "reopen", gap, gap * 1000.0 / RATE))


if __name__ == "__main__":
    main()
