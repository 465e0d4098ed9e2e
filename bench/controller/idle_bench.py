"""CPU time and wake-ups per minute of the melodek.exe process under Wine:
idle (nothing playing, Controller hidden), the Controller shown while
nothing plays, a file playing with the Controller hidden, and playing with
the Controller shown.

  cpu       user + system time of every thread of the Linux process that
            runs melodek.exe (/proc/<pid>/task/*/stat), per minute
  wake-ups  voluntary context switches of those threads (each one a sleep
            that ended), per minute; involuntary ones are listed apart

Sound goes to ALSA's file device, which takes it faster than real time
(about four times): the playing figures include decoding at that speed.

Usage: idle_bench.py <seconds per scenario>  (MELODEK_BUILD, WINEPREFIX, DISPLAY set)"""
import array
import os
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from melodek_e2e import Melodek, probe, wait_for, window_when_made, write_bytes  # noqa: E402

CONTROLLER, STOP = 32781, 32775
TICKS = os.sysconf("SC_CLK_TCK")


def long_wav(path, seconds):
    one_second = array.array("h", [3000, -3000] * 44100).tobytes()
    data = one_second * seconds
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ", 16, 1, 2, 44100,
                         176400, 4, 16, b"data", len(data))
    write_bytes(path, header + data)


def melodek_pid(folder):
    """The Linux process whose current directory is the installation's folder
    and whose name is melodek.exe."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/comm" % entry) as f:
                if f.read().strip() != "melodek.exe":
                    continue
            if os.path.realpath(os.readlink("/proc/%s/cwd" % entry)) == os.path.realpath(folder):
                return int(entry)
        except OSError:
            continue
    return None


def sample(pid):
    """(cpu seconds, voluntary switches, involuntary switches) over all threads."""
    cpu = voluntary = involuntary = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/stat" % (pid, task)) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            cpu += int(fields[11]) + int(fields[12])
            with open("/proc/%d/task/%s/status" % (pid, task)) as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches"):
                        voluntary += int(line.split()[1])
                    elif line.startswith("nonvoluntary_ctxt_switches"):
                        involuntary += int(line.split()[1])
        except OSError:
            continue  # a thread that ended meanwhile
    return cpu / TICKS, voluntary, involuntary


def measure(pid, seconds):
    first = sample(pid)
    time.sleep(seconds)
    last = sample(pid)
    scale = 60.0 / seconds
    return [(b - a) * scale for a, b in zip(first, last)]


def controller_visible(window, visible):
    shown = probe("window-info", window)[1].startswith("1")
    if shown != visible:
        probe("command", CONTROLLER)
    wait_for(lambda: probe("window-info", window)[1].startswith("1" if visible else "0"))


def main():
    seconds = float(sys.argv[1])
    app = Melodek("bench_idle")
    song = os.path.join(app.folder, "long.wav")
    long_wav(song, int(seconds * 2 * 4.5) + 30)  # outlasts both playing runs at the file device's speed
    app.start()
    pid = wait_for(lambda: melodek_pid(app.folder), timeout=20)
    probe("command", CONTROLLER)  # its window is made the first time it is shown
    window = window_when_made("controller")
    time.sleep(3)  # start-up settles
    rows = []
    controller_visible(window, False)
    rows.append(("idle, Controller hidden", measure(pid, seconds)))
    controller_visible(window, True)
    rows.append(("idle, Controller shown", measure(pid, seconds)))
    controller_visible(window, False)
    probe("command", STOP)
    subprocess.run(["wine", app.exe, app.windows_path(song)], cwd=app.folder, env=app.env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    wait_for(lambda: os.path.exists(app.capture) and os.path.getsize(app.capture) > 0)
    time.sleep(1)
    rows.append(("playing, Controller hidden", measure(pid, seconds)))
    controller_visible(window, True)
    rows.append(("playing, Controller shown", measure(pid, seconds)))
    app.exit()
    print("%-28s %12s %14s %14s" % ("scenario (%g s each)" % seconds, "cpu s/min", "wake-ups/min",
                                     "involuntary/min"))
    for name, (cpu, voluntary, involuntary) in rows:
        print("%-28s %12.3f %14.0f %14.0f" % (name, cpu, voluntary, involuntary))


if __name__ == "__main__":
    main()
