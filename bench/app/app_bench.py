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

Usage: app_bench.py <runs>   (MELODEK_BUILD, WINEPREFIX and DISPLAY set)"""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from melodek_e2e import BUILD, Melodek, probe, tone_file, wait_for  # noqa: E402

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


def row(name, seconds, reference=None):
    if not seconds:
        print("%-34s %4d %9s %9s %9s %7s" % (name, 0, "-", "-", "-", "-"))
        return
    median = statistics.median(seconds)
    ratio = "%.2f" % (median / reference) if reference else "-"
    print("%-34s %4d %9.1f %9.1f %9.1f %7s" % (name, len(seconds), 1000 * min(seconds), 1000 * median,
                                             1000 * max(seconds), ratio))


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 20
    app = Melodek("bench_app")
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
    if bare_window and second_play:
        print("hand-over until played / bare window start: %.2f (target 1.5)"
              % (statistics.median(second_play) / statistics.median(bare_window)))
    if code != 0:
        print("the first instance's exit code was %s" % code)


if __name__ == "__main__":
    main()
