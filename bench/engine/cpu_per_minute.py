"""CPU time of the real melodek.exe per minute of audio, under Wine with a
real-time sound device (PulseAudio). For each case the program starts in a
folder of its own (the end-to-end harness's installation), with one file on
its command line or none (the idle baseline); once its main dialog exists the
CPU times of the processes are read from /proc, the program runs for the
window, the times are read again and Exit is chosen.

Counted per process (utime + stime of all threads, /proc/<pid>/stat):
  melodek     the Linux process of melodek.exe (decoding, output, Wine's
              PulseAudio client inside it)
  wineserver  the prefix's wine server (every Wine call that goes to it)
  wine other  the prefix's other Wine processes (explorer with the tray, ...)
  pulse       the PulseAudio daemon (mixing into the null sink; parec's reads)

The floor: a case whose files are "bare:<file.wav>" runs bare_waveout.exe
instead (the same WAV through the wave-out device with the player's buffer
count and size, and nothing else; its process is counted in the melodek
column), measured over the same window once it has played for a second.
The table then ends with the ratio of the "wav" case to the floor.

Usage: cpu_per_minute.py <window seconds> <label>=<files or "-">...
(files separated by ";" play as one list; a last item "nogapless" writes a
settings file with gapless playback off, so each file drains and the device
reopens for the next).
Environment: MELODEK_BUILD (the Windows build), WINEPREFIX, DISPLAY and a
reachable PulseAudio server (XDG_RUNTIME_DIR); BENCH_PULSE_PID; BENCH_PAREC
names a capture file parec writes while each case runs (optional)."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from melodek_e2e import BUILD, Melodek, probe, wait_for  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
BARE = os.path.join(BUILD, "bench", "engine", "bare_waveout.exe")


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


def prefix_processes(prefix):
    """{pid: kind} of the processes of this Wine prefix."""
    found = {}
    marker = b"WINEPREFIX=" + prefix.encode()
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        environ = read("/proc/%s/environ" % name).split(b"\0")
        if marker not in environ:
            continue
        program = read("/proc/%s/cmdline" % name).split(b"\0")[0].lower()
        comm = read("/proc/%s/comm" % name).strip()
        if program.endswith(b"melodek.exe") or program.endswith(b"bare_waveout.exe"):
            found[int(name)] = "melodek"
        elif comm.startswith(b"wineserver"):
            found[int(name)] = "wineserver"
        elif program.endswith(b".exe"):  # not Xvfb, parec, ... that inherited the variable
            found[int(name)] = "wine other"
    return found


def cpu_seconds(pid):
    stat = read("/proc/%d/stat" % pid).decode(errors="replace")
    if not stat:
        return 0.0
    fields = stat[stat.rindex(")") + 2:].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def sounding_seconds(path):
    """Seconds of non-silent 16-bit stereo 44100 Hz frames in a capture."""
    data = read(path)
    frames = len(data) // 4
    step = 441  # look at every 441st frame: 10 ms resolution
    sounding = sum(1 for i in range(0, frames, step) if data[4 * i:4 * i + 4] != b"\0\0\0\0")
    return sounding * step / 44100.0


def run_case(label, media, window):
    app = Melodek("bench_cpu_" + label)
    app.env.pop("ALSA_CONFIG_PATH", None)  # Wine plays to PulseAudio
    parec_path = os.environ.get("BENCH_PAREC")
    parec = None
    if parec_path:
        parec_out = open(parec_path, "wb")
        parec = subprocess.Popen(["parec", "-d", "cap.monitor", "--format=s16le", "--rate=44100", "--channels=2"],
                                 stdout=parec_out, stderr=subprocess.DEVNULL)
    items = [] if media == "-" else media.split(";")
    if items and items[-1] == "nogapless":
        items.pop()
        from melodek_e2e import settings_bytes, write_bytes  # noqa: E402
        gapless_off = b"MLDK.EXT" + bytes([7]) + b"gapless" + (4).to_bytes(4, "little") + (0).to_bytes(4, "little")
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"),
                    settings_bytes(lists=[("new", [])], presets=[(0, "Default", 0, [])]) + gapless_off)
    args = [app.windows_path(item) for item in items]
    bare = None
    try:
        if media.startswith("bare:"):
            bare = subprocess.Popen(["wine", BARE, app.windows_path(media[5:]), str(window + 5)], cwd=app.folder,
                                    env=app.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            prefix = os.environ["WINEPREFIX"]
            wait_for(lambda: "melodek" in prefix_processes(prefix).values(), timeout=30, interval=0.01)
            time.sleep(1.0)  # its device is open and playing
        else:
            app.start(*args)
        pids = prefix_processes(os.environ["WINEPREFIX"])
        pulse = int(os.environ.get("BENCH_PULSE_PID", "0") or 0)
        if pulse:
            pids[pulse] = "pulse"
        names = {pid: read("/proc/%d/cmdline" % pid).split(b"\0")[0].decode(errors="replace") for pid in pids}
        before = {pid: cpu_seconds(pid) for pid in pids}
        started = time.monotonic()
        time.sleep(window)
        after = {pid: cpu_seconds(pid) for pid in pids}
        elapsed = time.monotonic() - started
        exit_started = time.monotonic()
        if bare is not None:
            alive = bare.poll() is None
            code = bare.wait(timeout=60)
        else:
            alive = app.process.poll() is None
            code = app.exit(timeout=60)
        exit_seconds = time.monotonic() - exit_started
    finally:
        if bare is not None and bare.poll() is None:
            bare.kill()
            bare.wait()
        app.kill()
        if parec:
            parec.terminate()
            parec.wait()
            parec_out.close()
    used = {}
    for pid, kind in pids.items():
        spent = max(0.0, after[pid] - before[pid])  # a process that ended is not counted
        used[kind] = used.get(kind, 0.0) + spent
        print("%s: pid %d %-10s %6.2f s  %s" % (label, pid, kind, spent, names[pid]), file=sys.stderr)
    sound = sounding_seconds(parec_path) if parec_path else -1.0
    return used, elapsed, alive, code, exit_seconds, sound


def floor_ratios(program, floor):
    """The line comparing a case's CPU per minute with the floor's: the
    program's own process, and that plus the wine server's work for it."""
    def ratio(a, b):
        return "%.2f" % (a / b) if b > 0 else "-"
    own = ratio(program["melodek"], floor["melodek"])
    with_server = ratio(program["melodek"] + program["wineserver"], floor["melodek"] + floor["wineserver"])
    return "wav / bare wave-out: %s (process), %s (process + wine server); target 1.2" % (own, with_server)


def main():
    window = float(sys.argv[1])
    cases = [arg.split("=", 1) for arg in sys.argv[2:]]
    kinds = ("melodek", "wineserver", "wine other", "pulse")
    print("%-9s %8s %8s %8s %8s %9s %8s %8s %8s %7s" % ("case", "window_s", "sound_s", "melodek", "m_core%",
                                                        "m_per_snd", "wsrv", "wine_oth", "pulse", "exit_s"))
    measured = {}
    for label, media in cases:
        used, elapsed, alive, code, exit_seconds, sound = run_case(label, media, window)
        per_minute = {kind: used.get(kind, 0.0) * 60.0 / elapsed for kind in kinds}
        measured[label] = per_minute
        core = 100.0 * used.get("melodek", 0.0) / elapsed
        note = "" if alive and code == 0 else "  (ended early or exit code %s)" % code
        per_sound = used.get("melodek", 0.0) * 60.0 / sound if sound > 0 else 0.0
        print("%-9s %8.1f %8.1f %8.2f %8.2f %9.2f %8.2f %8.2f %8.2f %7.2f%s" % (
            label, elapsed, sound, per_minute["melodek"], core, per_sound, per_minute["wineserver"],
            per_minute["wine other"], per_minute["pulse"], exit_seconds, note))
    floor = next((label for label, media in cases if media.startswith("bare:")), None)
    if floor and "wav" in measured:
        print(floor_ratios(measured["wav"], measured[floor]))
    probe("wait-exit", 5000)


if __name__ == "__main__":
    main()
