"""Where a cold start of melodek.exe spends its time, and what the first use
of what the start left for later costs, under Wine with the wine server
running and sound going to the ALSA file device.

Every start runs with MELODEK_STARTUP_TIMES naming a file, so the program
writes its timeline (app/startup_timeline.h): each step in ms since the
Windows process was created, libraries loaded after WinMain included. Then:
  Controller  ID_CONTROLLER posted (the tray's command; the hot key runs the
              same) three times: shown, hidden, shown again. The program's own
              "Controller asked" to "Controller shown" marks, first and second.
  Play        ID_PLAY posted, the file of the list a one-second tone (in_wave):
              from the program's "Play asked" mark until the sound device got
              its first bytes (the capture grew; polled every 1 ms, the program's
              clock and ours are both the system clock); then Stop, the
              capture left to settle, and Play again.
Medians over the runs; a step that occurs more than once in a start (a
library loaded twice) is counted by its occurrence.

Usage: steps.py <runs>  (MELODEK_BUILD, WINEPREFIX and DISPLAY set)"""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from melodek_e2e import Melodek, probe, tone_file, wait_for  # noqa: E402
from app_bench import captured, quiet_capture  # noqa: E402

ID_PLAY, ID_STOP, ID_CONTROLLER, ID_EXIT = 32773, 32775, 32781, 57665


def timeline(path):
    """[(step, ms)] in the order written."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            lines = [line.rstrip("\r\n").rsplit(", ", 1) for line in f]
    except OSError:
        return []
    return [(step, float(ms)) for step, ms in (pair for pair in lines if len(pair) == 2)]


def created_unix(steps):
    first = steps[0][0] if steps else ""
    return float(first.split("Unix time ")[1].rstrip(")")) if "Unix time " in first else None


def marks(steps, name):
    return [ms for step, ms in steps if step == name]


def quiet(path, seconds=0.5, timeout=20.0):
    """Waits until the timeline stopped growing for `seconds`."""
    size, since, deadline = -1, time.monotonic(), time.monotonic() + timeout
    while time.monotonic() < deadline:
        now = os.path.getsize(path) if os.path.exists(path) else 0
        if now != size:
            size, since = now, time.monotonic()
        elif time.monotonic() - since >= seconds:
            return
        time.sleep(0.02)


def first_sound(app, created, asked_name, path, count):
    """ms from the count-th Play mark until the capture grew."""
    before = captured(app)
    probe("command", ID_PLAY)
    deadline = time.monotonic() + 20
    heard = None
    while time.monotonic() < deadline:
        if captured(app) > before:
            heard = time.time()
            break
        time.sleep(0.001)
    asked = marks(timeline(path), asked_name)
    if heard is None or len(asked) < count:
        return None
    return (heard - created) * 1000 - asked[count - 1]


def one_start(app, path):
    if os.path.exists(path):
        os.remove(path)
    env = dict(app.env, MELODEK_STARTUP_TIMES=app.windows_path(path), WINEDEBUG="-all")
    launched = time.time()
    process = subprocess.Popen(["wine", app.exe], cwd=app.folder, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    result = {}
    try:
        if not wait_for(lambda: marks(timeline(path), "Jump to File prepared"), timeout=30, interval=0.01):
            raise AssertionError("no start-up timeline in %s" % path)
        quiet(path)  # the plug-ins' libraries and Inits come after the tray icon
        steps = timeline(path)
        created = created_unix(steps)
        result["launch (Linux) to process created"] = [(created - launched) * 1000]
        seen = {}
        for step, ms in steps[1:]:
            seen[step] = seen.get(step, 0) + 1
            result[step if seen[step] == 1 else "%s (%d)" % (step, seen[step])] = [ms]
        for count in (1, 2, 3):  # shown, hidden, shown
            probe("command", ID_CONTROLLER)
            wait_for(lambda: len(marks(timeline(path), "Controller asked")) >= count, timeout=20)
        wait_for(lambda: len(marks(timeline(path), "Controller shown")) >= 2, timeout=20)
        steps = timeline(path)
        asked, shown = marks(steps, "Controller asked"), marks(steps, "Controller shown")
        if len(asked) >= 3 and len(shown) >= 2:
            result["first use: Controller shown"] = [shown[0] - asked[0]]
            result["second use: Controller shown"] = [shown[1] - asked[2]]
        for count, name in ((1, "first use: Play to first sound"), (2, "second use: Play to first sound")):
            ms = first_sound(app, created, "Play asked", path, count)
            if ms is not None:
                result[name] = [ms]
            probe("command", ID_STOP)
            quiet_capture(app)
    finally:
        probe("command", ID_EXIT)
        try:
            process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        probe("wait-exit", 10000)
    return result


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 10
    app = Melodek("bench_steps")
    tone = tone_file(os.path.join(app.folder, "a.wav"), 3000, frames=44100)
    # One start with the file: the settings every later start reads hold it in the list.
    app.start(tone)
    probe("command", ID_STOP)
    app.exit(timeout=60)
    path = os.path.join(app.folder, "timeline.txt")
    table, order = {}, []
    for _ in range(runs):
        for step, values in one_start(app, path).items():
            if step not in table:
                order.append(step)
            table.setdefault(step, []).extend(values)
        time.sleep(0.3)
    print("%-52s %4s %9s %9s %9s" % ("cold start step (ms since the process was created)", "runs", "min", "median",
                                     "max"))
    uses = [s for s in order if s.startswith(("first use", "second use"))]
    starts = sorted((s for s in order if s not in uses), key=lambda s: statistics.median(table[s]))
    for step in starts + [None] + uses:
        if step is None:
            print("%-52s %4s %9s %9s %9s" % ("first use after a cold start (ms)", "runs", "min", "median", "max"))
            continue
        values = table[step]
        print("%-52s %4d %9.1f %9.1f %9.1f" % (step[:52], len(values), min(values), statistics.median(values),
                                               max(values)))
    for what in ("Controller shown", "Play to first sound"):
        first, second = table.get("first use: " + what), table.get("second use: " + what)
        if first and second:
            print("%s: first use costs %.1f ms more than the second (medians)"
                  % (what, statistics.median(first) - statistics.median(second)))


if __name__ == "__main__":
    main()
