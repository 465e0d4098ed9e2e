"""Evidence of a start or a window that did not come, saved into the test's
folder and returned as text for the failure message: a screenshot of the
display, the Windows processes with their top-level windows, whether the
started process still runs (and its exit code), the prefix's Linux processes
(Wine's services among them, with their state and CPU time), the stacks of
the program's threads when it still runs, and the tail of its Wine log."""
import os
import subprocess
import time

TOOLS_DIR = os.path.join(os.environ.get("MELODEK_BUILD", ""), "tests", "e2e")
LOG_LINES = 60


def run(command, timeout=30, stdin=None):
    """Output of a command, or a note of why there is none; never raises."""
    try:
        result = subprocess.run(command, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                timeout=timeout)
        return result.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return "(%s: no answer within %d s)\n" % (command[0], timeout)
    except OSError as error:
        return "(%s: %s)\n" % (command[0], error)


def prefix_processes():
    """The Linux processes running in this Wine prefix: pid, state, CPU
    seconds and command line, one a line."""
    prefix = os.environ.get("WINEPREFIX", "").encode()
    lines = []
    ticks = os.sysconf("SC_CLK_TCK")
    for name in sorted(os.listdir("/proc"), key=lambda n: int(n) if n.isdigit() else 0):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % name, "rb") as f:
                environ = f.read().split(b"\0")
            if prefix and b"WINEPREFIX=" + prefix not in environ:
                continue
            with open("/proc/%s/cmdline" % name, "rb") as f:
                command = f.read().replace(b"\0", b" ").decode(errors="replace").strip()
            with open("/proc/%s/stat" % name) as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        cpu = (int(fields[11]) + int(fields[12])) / ticks
        lines.append("%s %s %.1fs %s" % (name, fields[0], cpu, command))
    return "\n".join(lines) + "\n"


def program_stacks(processes_text, program):
    """Every thread's stack of each running copy of the program, through
    winedbg (through the prefix's loader: a 32-bit program needs the 32-bit
    debugger): what the program waits for."""
    out = []
    for line in processes_text.splitlines():
        parts = line.split()
        if len(parts) < 4 or line.startswith(" ") or parts[3].lower() != program.lower():
            continue
        pid = int(parts[0])
        # "info thread" lists every process's threads; "bt all" would walk
        # them all too: the program's own threads are read off the list.
        listing = run(["wine", "winedbg"], timeout=45, stdin=b"info thread\nquit\n")
        threads, inside = [], False
        for row in listing.splitlines():
            row = row.replace("Wine-dbg>", "")
            if row and not row[0].isspace():
                inside = row.split()[0].lower() == "%08x" % pid
            elif inside and row.strip():
                threads.append(row.split()[0])
        commands = "attach 0x%x\n%sdetach\nquit\n" % (pid, "".join("bt 0x%s\n" % t for t in threads))
        out.append("== winedbg, process %d, threads %s\n" % (pid, " ".join(threads)))
        out.append(run(["wine", "winedbg"], timeout=45, stdin=commands.encode()))
    return "".join(out)


def log_tail(path, lines=LOG_LINES):
    try:
        with open(path, "rb") as f:
            f.seek(0, os.SEEK_END)
            f.seek(max(0, f.tell() - 200 * lines))
            text = f.read().decode(errors="replace")
    except OSError:
        return "(no log)\n"
    return "\n".join(text.splitlines()[-lines:]) + "\n"


def save_evidence(folder, what, process, log):
    """Saves the evidence under <folder>/evidence-<time>/; returns the
    failure text (what happened, then the evidence) and that folder."""
    where = os.path.join(folder, "evidence-%s" % time.strftime("%H%M%S"))
    os.makedirs(where, exist_ok=True)
    shot = os.path.join(where, "screen.png")
    run(["import", "-display", os.environ.get("DISPLAY", ""), "-window", "root", shot])
    program = os.environ.get("MELODEK_EXE", "melodek.exe")
    if process is None:
        started = "no process was started"
    elif process.poll() is None:
        started = "the started process (Linux pid %d) still runs" % process.pid
    else:
        started = "the started process (Linux pid %d) ended with exit code %d" % (process.pid, process.returncode)
    processes = run(["wine", os.path.join(TOOLS_DIR, "probe.exe"), "processes"])
    linux = prefix_processes()
    stacks = program_stacks(processes, program)
    tail = log_tail(log)
    parts = [
        ("started", started + "\n"),
        ("windows_processes", processes),
        ("prefix_processes", linux),
        ("stacks", stacks or "(no running %s)\n" % program),
        ("log_tail", tail),
    ]
    for name, text in parts:
        with open(os.path.join(where, name + ".txt"), "w") as f:
            f.write(text)
    report = ["%s; evidence in %s (screen.png and the files below)" % (what, where)]
    for name, text in parts:
        if name == "stacks" and len(text) > 4000:
            text = text[:4000] + "... (rest in stacks.txt)\n"
        report.append("--- %s\n%s" % (name, text.rstrip()))
    return "\n".join(report), where
