"""Start-up and hand-over times of melodek.exe under Wine, every start launched
from Linux as `wine <program> ...` with the prefix's wine server already
running, sound going to the ALSA file device of the installation's folder.

  handover  `wine melodek.exe a.wav b.wav` while a first instance runs idle
            (stopped): from the launch until the second process ended
            (second_exit) and until the first instance's sound device got its
            first bytes (play: its capture grew), polled every millisecond
  bare      `wine bare_start.exe` (returns at once) and `wine bare_start.exe
            window` (creates a window first): launch until the process ended
  cold      melodek.exe with no other copy running: launch until its main
            dialog exists and until the shell knows its tray icon (both seen
            by tray_watch.exe, which polls every 2 ms); then Exit: from the
            posted Exit until the dialog is gone, the Windows process ended
            and the Linux process ended
  together  6 and 12 copies launched at once, one WAV file each, no copy
            running (the shell opening a selection): from the launch until
            the last file is in the first copy's list, which is the later of
            the main dialog appearing (the first copy's own file goes in
            then) and the last hand-over process ending (it ends once its
            file was taken). The order of the files over the starts is
            shuffled with a seed per repetition. After Exit the saved list is
            read: files missing from it are counted as lost, starts still
            running 30 s after the launch as stragglers (and ended).

Usage: app_bench.py <runs> [together]  (MELODEK_BUILD, WINEPREFIX and DISPLAY
set; "together" runs only that part)"""
import os
import random
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from melodek_e2e import BUILD, Melodek, SettingsFile, probe, read_bytes, tone_file, wait_for  # noqa: E402

STOP = 32775
WATCH = os.path.join(BUILD, "bench", "app", "tray_watch.exe")
BARE = os.path.join(BUILD, "bench", "app", "bare_start.exe")


def captured(app):
    total = 0
    for name in os.listdir(app.folder):
        if name.startswith("capture.raw"):
            total += os.path.getsize(os.path.join(app.folder, name))
    return total


def quiet_capture(app, quiet=0.3, timeout=10.0):
    """Waits until the capture stopped growing; returns its size."""
    deadline = time.monotonic() + timeout
    size, since = captured(app), time.monotonic()
    while time.monotonic() < deadline:
        time.sleep(0.02)
        now = captured(app)
        if now != size:
            size, since = now, time.monotonic()
        elif time.monotonic() - since >= quiet:
            break
    return size


def handover_runs(app, a, b, runs):
    seconds_exit, seconds_play = [], []
    for _ in range(runs):
        probe("command", STOP)
        before = quiet_capture(app)
        started = time.monotonic()
        second = subprocess.Popen(["wine", app.exe, app.windows_path(a), app.windows_path(b)], cwd=app.folder,
                                  env=app.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        ended = played = None
        while time.monotonic() - started < 30 and (ended is None or played is None):
            now = time.monotonic()
            if ended is None and second.poll() is not None:
                ended = now
            if played is None and captured(app) > before:
                played = now
            time.sleep(0.001)
        if second.poll() is None:
            second.kill()
            second.wait()
        if ended is not None:
            seconds_exit.append(ended - started)
        if played is not None:
            seconds_play.append(played - started)
    probe("command", STOP)
    return seconds_exit, seconds_play


def bare_runs(runs, *args):
    seconds = []
    for _ in range(runs):
        started = time.monotonic()
        subprocess.run(["wine", BARE, *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        seconds.append(time.monotonic() - started)
    return seconds


def read_steps(path):
    steps = {}
    try:
        with open(path) as f:
            for line in f:
                parts = line.split()
                if len(parts) == 2:
                    steps[parts[0]] = float(parts[1])
    except OSError:
        pass
    return steps


def cold_runs(app, runs):
    """Each start: (window, icon) from the launch, then the exit's steps."""
    results = {key: [] for key in ("window", "icon", "window_gone", "process_ended", "linux_ended")}
    result_file = os.path.join(app.folder, "watch.txt")
    for _ in range(runs):
        if os.path.exists(result_file):
            os.remove(result_file)
        watch = subprocess.Popen(["wine", WATCH, app.windows_path(result_file), "60000", "exit"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(lambda: "ready" in read_steps(result_file), timeout=30, interval=0.01):
            watch.kill()
            raise AssertionError("tray_watch did not start")
        time.sleep(0.2)  # the watcher's own start is over
        launched = time.time()
        process = subprocess.Popen(["wine", app.exe], cwd=app.folder, env=app.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        watch.wait(timeout=120)
        process.wait(timeout=60)
        linux_ended = time.time()
        steps = read_steps(result_file)
        if "icon" in steps:
            results["window"].append(steps["window"] - launched)
            results["icon"].append(steps["icon"] - launched)
        if "process_ended" in steps:
            results["window_gone"].append(steps["window_gone"] - steps["exit_posted"])
            results["process_ended"].append(steps["process_ended"] - steps["exit_posted"])
            results["linux_ended"].append(linux_ended - steps["exit_posted"])
        probe("wait-exit", 10000)
        time.sleep(0.3)
    return results


def together_runs(app, count, runs):
    """Seconds from the launch to the last file in the list, and the files
    lost and the starts that straggled over all runs."""
    files = [tone_file(os.path.join(app.folder, "s%02d.wav" % i), 1000 + 10 * i, frames=4410) for i in range(count)]
    result_file = os.path.join(app.folder, "watch.txt")
    seconds, dialog, lost, stragglers = [], [], 0, 0
    for run in range(runs):
        settings = os.path.join(app.folder, "melodek.mlcfg")
        if os.path.exists(settings):
            os.remove(settings)
        if os.path.exists(result_file):
            os.remove(result_file)
        order = list(range(count))
        random.Random(run).shuffle(order)
        watch = subprocess.Popen(["wine", WATCH, app.windows_path(result_file), "60000"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(lambda: "ready" in read_steps(result_file), timeout=30, interval=0.01):
            watch.kill()
            raise AssertionError("tray_watch did not start")
        time.sleep(0.2)
        launched_unix, launched = time.time(), time.monotonic()
        starts = [subprocess.Popen(["wine", app.exe, app.windows_path(files[i])], cwd=app.folder, env=app.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) for i in order]
        ends = {}
        while time.monotonic() - launched < 30 and len(ends) < count - 1:
            for index, process in enumerate(starts):
                if index not in ends and process.poll() is not None:
                    ends[index] = time.monotonic() - launched
            time.sleep(0.002)
        watch.wait(timeout=60)
        steps = read_steps(result_file)
        running = [p for p in starts if p.poll() is None]
        first = None
        if "window" in steps and running:
            first = running[0] if len(running) == 1 else None
            last = max([steps["window"] - launched_unix] + list(ends.values()))
            if len(running) == 1:
                seconds.append(last)
                dialog.append(steps["window"] - launched_unix)
        stragglers += max(0, len(running) - 1)
        probe("command", 57665)
        if first is not None:
            first.wait(timeout=60)
        for process in starts:
            if process.poll() is None:
                process.kill()
                process.wait()
        probe("wait-exit", 10000)
        try:
            saved = SettingsFile(read_bytes(settings)).lists[0]["files"]
            lost += count - len({f["path"] for f in saved} & {app.windows_path(f) for f in files})
        except (OSError, IndexError, KeyError):
            lost += count
        time.sleep(0.3)
    return seconds, dialog, lost, stragglers


def row(name, seconds, reference=None):
    if not seconds:
        print("%-34s %4d %9s %9s %9s %7s" % (name, 0, "-", "-", "-", "-"))
        return
    median = statistics.median(seconds)
    ratio = "%.2f" % (median / reference) if reference else "-"
    print("%-34s %4d %9.1f %9.1f %9.1f %7s" % (name, len(seconds), 1000 * min(seconds), 1000 * median,
                                             1000 * max(seconds), ratio))


def together(app, runs):
    print("%-34s %4s %9s %9s %9s %5s %10s" % ("together (ms from the launch)", "runs", "min", "median", "max", "lost",
                                            "stragglers"))
    for count in (6, 12):
        seconds, dialog, lost, stragglers = together_runs(app, count, runs)
        for name, values, counts in (("%d starts: last file in the list" % count, seconds, True),
                                     ("%d starts: main dialog exists" % count, dialog, False)):
            line = "%-34s %4d" % (name, len(values))
            if values:
                line += " %9.1f %9.1f %9.1f" % (1000 * min(values), 1000 * statistics.median(values),
                                                1000 * max(values))
            else:
                line += " %9s %9s %9s" % ("-", "-", "-")
            print(line + (" %5d %10d" % (lost, stragglers) if counts else ""))
    print("lost: files missing from the list after Exit over all runs; stragglers: starts still running 30 s "
          "after the launch")


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 20
    app = Melodek("bench_app")
    if len(sys.argv) > 2 and sys.argv[2] == "together":
        together(app, runs)
        return
    a = tone_file(os.path.join(app.folder, "a.wav"), 3000, frames=44100)
    b = tone_file(os.path.join(app.folder, "b.wav"), 3100, frames=44100)

    # One start first: it writes the settings file every later start reads.
    cold_runs(app, 1)
    cold = cold_runs(app, runs)

    app.start()
    quiet_capture(app)
    bare_runs(2)  # warm the loader's files
    bare = bare_runs(runs)
    bare_window = bare_runs(runs, "window")
    second_exit, second_play = handover_runs(app, a, b, runs)
    code = app.exit(timeout=60)
    app.kill()

    reference = statistics.median(bare) if bare else None
    print("%-34s %4s %9s %9s %9s %7s" % ("start (ms from the launch)", "runs", "min", "median", "max", "x_bare"))
    row("bare_start.exe (returns at once)", bare, reference)
    row("bare_start.exe window", bare_window, reference)
    row("hand-over: second process ended", second_exit, reference)
    row("hand-over: first instance played", second_play, reference)
    row("cold start: main dialog exists", cold["window"], reference)
    row("cold start: tray icon known", cold["icon"], reference)
    print("%-34s %4s %9s %9s %9s" % ("exit (ms from the posted Exit)", "runs", "min", "median", "max"))
    row("main dialog gone", cold["window_gone"])
    row("Windows process ended", cold["process_ended"])
    row("Linux process ended", cold["linux_ended"])
    if bare_window and cold["icon"]:
        print("cold start until the tray icon / bare window start: %.2f (target 1.5)"
              % (statistics.median(cold["icon"]) / statistics.median(bare_window)))
    if bare_window and second_play:
        print("hand-over until played / bare window start: %.2f (target 1.5)"
              % (statistics.median(second_play) / statistics.median(bare_window)))
    if code != 0:
        print("the first instance's exit code was %s" % code)
    together(app, runs)


if __name__ == "__main__":
    main()
