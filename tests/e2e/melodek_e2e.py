"""End-to-end harness: runs the real melodek.exe under Wine in a folder of its
own, drives it with the probe and DDE tools, and reads what it played (the
ALSA file capture) and what it saved.

The environment comes from scripts/wine-env.sh (WINEPREFIX, DISPLAY);
CTest passes the build folder as MELODEK_BUILD."""
import math
import os
import shutil
import struct
import subprocess
import time
import unittest
import wave

from evidence import save_evidence

BUILD = os.environ.get("MELODEK_BUILD", "")
# Wine's debug channels in melodek.exe's log (wine.log in the test's folder):
# errors, the libraries loaded, exceptions, the DDE calls of the hand-over
# and message boxes, each line with its process and time.
APP_WINEDEBUG = "-all,err+all,warn+seh,+pid,+timestamp,+loaddll,+ddeml,+msgbox"
APP_DIR = os.path.join(BUILD, "melodek")
TOOLS_DIR = os.path.join(BUILD, "tests", "e2e")


def wine(*args, timeout=60, log=None):
    """Runs a Windows program to its end; returns its exit code."""
    out = open(log, "ab") if log else subprocess.DEVNULL
    try:
        return subprocess.run(["wine", *args], stdout=out, stderr=out, timeout=timeout).returncode
    finally:
        if log:
            out.close()


def probe(*args, timeout=30):
    """Runs the probe; returns (exit code, printed text)."""
    result = subprocess.run(["wine", os.path.join(TOOLS_DIR, "probe.exe"), *map(str, args)],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
    return result.returncode, result.stdout.decode(errors="replace").strip()


def neutral_folder(name="Music"):
    """A folder on the prefix's drive C: for the files of the README's
    pictures, whose paths show in them (a tool tip, a caption): (its Unix
    path, its Windows path "C:\\Music")."""
    folder = os.path.join(os.environ["WINEPREFIX"], "drive_c", name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder, "C:\\" + name


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def write_text(path, text):
    with open(path, "w") as f:
        f.write(text)


def wait_for(predicate, timeout=20.0, interval=0.05):
    """Polls until predicate() is true; returns its last value."""
    deadline = time.monotonic() + timeout
    value = predicate()
    while not value and time.monotonic() < deadline:
        time.sleep(interval)
        value = predicate()
    return value


def window_when_made(kind, timeout=10.0):
    """The handle of the Controller ("controller") or the title display
    ("title-window") once the program made it: neither exists at start-up,
    each comes the first time it is needed. "" when it did not come."""
    def made():
        code, handle = probe(kind)
        return handle if code == 0 else ""
    return wait_for(made, timeout=timeout)


def write_wav(path, frames, rate=44100, channels=2, sample_width=2):
    """Writes integer samples (a list of per-frame tuples) as a PCM WAV file."""
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(sample_width)
        w.setframerate(rate)
        fmt = {1: "B", 2: "h"}[sample_width]
        w.writeframes(b"".join(struct.pack("<%d%s" % (channels, fmt), *f) for f in frames))


class Melodek:
    """One installation of Melodek in a folder of its own, started under Wine.
    With installed_exe the program is one a setup installed: the folder then
    only holds the capture and the log."""

    def __init__(self, name, exe_name="melodek.exe", app_dir=APP_DIR, installed_exe=None):
        self.folder = os.path.join(BUILD, "e2e", name)
        shutil.rmtree(self.folder, ignore_errors=True)
        if installed_exe:
            os.makedirs(self.folder)
            self.exe = installed_exe
        else:
            shutil.copytree(app_dir, self.folder, ignore=shutil.ignore_patterns("*.raw", "*.mlcfg", "*.cfg"))
            if exe_name != "melodek.exe":
                os.rename(os.path.join(self.folder, "melodek.exe"), os.path.join(self.folder, exe_name))
            self.exe = os.path.join(self.folder, exe_name)
        # The probe looks for the program by its file name.
        os.environ["MELODEK_EXE"] = exe_name
        self.capture = os.path.join(self.folder, "capture.raw")
        self.log = os.path.join(self.folder, "wine.log")
        self.env = dict(os.environ)
        conf = os.path.join(self.folder, "asound.conf")
        with open(conf, "w") as f:
            f.write('pcm.!default {\n type file\n slave.pcm { type null }\n'
                    ' file "%s"\n format "raw"\n truncate false\n}\n' % self.capture)
        self.env["ALSA_CONFIG_PATH"] = conf
        # A few of Wine's debug channels for the program's own log: enough to
        # tell, when a start goes wrong, what it loaded, waited for or threw.
        self.env["WINEDEBUG"] = APP_WINEDEBUG
        self.process = None
        self.output = None
        self.evidence = []  # folders of evidence saved for this installation

    def windows_path(self, path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def start(self, *args):
        """Starts melodek.exe with the given arguments and waits for its main dialog."""
        self.start_process(["wine", self.exe, *args])

    def start_command_lines(self, *command_lines):
        """Starts the program through command lines given whole, as the shell
        runs a verb (the launch tool; it ends when they have)."""
        self.start_process(["wine", os.path.join(TOOLS_DIR, "launch.exe"), "run", *command_lines])

    def start_process(self, command):
        for name in os.listdir(self.folder):
            if name.startswith("capture.raw"):
                os.remove(os.path.join(self.folder, name))
        self.close_output()
        self.output = open(self.log, "ab")
        self.process = subprocess.Popen(command, cwd=self.folder, env=self.env,
                                        stdout=self.output, stderr=subprocess.STDOUT)
        self.wait_window(lambda: probe("main-window")[0] == 0, "melodek.exe did not bring up its main dialog")

    def launch(self, *args):
        """Starts another melodek.exe with the given arguments and returns its
        process at once (its output goes to the same log)."""
        with open(self.log, "ab") as out:
            return subprocess.Popen(["wine", self.exe, *args], cwd=self.folder, env=self.env, stdout=out,
                                    stderr=subprocess.STDOUT)

    def wait_window(self, predicate, what, timeout=30):
        """Polls for a window (predicate() true); when it does not come,
        fails with `what` and the evidence saved in the test's folder."""
        if not wait_for(predicate, timeout=timeout):
            raise AssertionError(self.save_evidence(what))

    def save_evidence(self, what):
        """Saves what a person needs to see why a window did not come (see
        evidence.py); returns `what` with that evidence, for a failure."""
        text, folder = save_evidence(self.folder, what, self.process, self.log)
        self.evidence.append(folder)
        return text

    def command(self, command_id, tries=5):
        """Posts WM_COMMAND to the main dialog; True once posted. On a loaded
        machine the probe now and then fails (Wine's own error, or no window
        found while Wine is busy): it is asked again while the program runs."""
        for _ in range(tries):
            if probe("command", command_id)[0] == 0:
                return True
            if self.process is None or self.process.poll() is not None:
                return False
            time.sleep(0.5)
        return False

    def close_output(self):
        if self.output:
            self.output.close()
            self.output = None

    def exit(self, timeout=20):
        """Chooses Exit and waits for the process to end; returns its exit code."""
        posted = self.command(57665)
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(self.save_evidence("melodek.exe did not end within %d s of Exit (%s)" % (
                timeout, "posted to its main dialog" if posted else "which the probe could not post"))) from None
        self.close_output()
        return code

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        probe("wait-exit", 5000)
        self.close_output()

    def capture_paths(self):
        """The capture files in order: one per opening of the sound device,
        so one per file played."""
        paths = [self.capture] if os.path.exists(self.capture) else []
        n = 1
        while os.path.exists("%s.%04d" % (self.capture, n)):
            paths.append("%s.%04d" % (self.capture, n))
            n += 1
        return paths

    def captured_bytes(self):
        """Everything played so far. ALSA's file device starts a new file at
        every opening of the device: capture.raw, capture.raw.0001, ..."""
        data = read_bytes(self.capture) if os.path.exists(self.capture) else b""
        n = 1
        while os.path.exists("%s.%04d" % (self.capture, n)):
            data += read_bytes("%s.%04d" % (self.capture, n))
            n += 1
        return data

    def captured_frames(self):
        """The captured sound as a list of (left, right) 16-bit samples."""
        data = self.captured_bytes()
        count = len(data) // 4
        samples = struct.unpack("<%dh" % (count * 2), data[:count * 4])
        return list(zip(samples[0::2], samples[1::2]))


class MelodekTestCase(unittest.TestCase):
    def setUp(self):
        self.apps = []

    def tearDown(self):
        # A test that failed some other way than through wait_window (an
        # assertion on a wait of its own) keeps evidence too, taken before
        # the programs are ended.
        failure = self.failure_so_far()
        if failure is not None:
            for app in self.apps:
                if app.process is not None and not app.evidence:
                    print(app.save_evidence("%s failed (%s)" % (self.id(), failure)))
        for app in self.apps:
            app.kill()
        os.environ["MELODEK_EXE"] = "melodek.exe"

    def failure_so_far(self):
        """The exception's first line when this test (or one of its subtests)
        has failed, else None: printed with the evidence, at the head of the
        test's output, where a shortened CI log keeps it."""
        result = getattr(getattr(self, "_outcome", None), "result", None)
        for test, trace in getattr(result, "failures", []) + getattr(result, "errors", []):
            if test is self or getattr(test, "test_case", None) is self:
                # The traceback's frames are indented; the exception is not.
                lines = trace.splitlines()
                frames_from = max((i for i, line in enumerate(lines) if line.startswith("Traceback")), default=0)
                return next((line for line in lines[frames_from + 1:] if line and not line[0].isspace()),
                            "no traceback")
        return None

    def melodek(self, name=None, **kwargs):
        app = Melodek(name or self.id().split(".")[-1], **kwargs)
        self.apps.append(app)
        return app


class FramedMelodekTestCase(MelodekTestCase):
    """Wine draws (and with "Managed" off also sizes) melodek.exe's frames
    while the class's tests run: for tests that drag a frame, measure a
    whole window or take the README's pictures."""
    wine_frame_values = ("Decorated",)

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        wine_draws_melodek_frames(True, *cls.wine_frame_values)

    @classmethod
    def tearDownClass(cls):
        wine_draws_melodek_frames(False, *cls.wine_frame_values)
        super().tearDownClass()


class SettingsFile:
    """An independent reader of the ".mlcfg" archive, for checking what the
    program saved."""

    def __init__(self, data):
        self.data = data
        self.at = 0
        self.wide = set()
        self.mark = self.int()
        self.controller_pos = (self.int(), self.int())
        (self.play_mode, self.repeat, self.sel_file_id, self.control_alpha,
         self.volume, self.volume_type, self.volume_step) = [self.int() for _ in range(7)]
        self.plugin_folders = [self.string() for _ in range(self.int())]
        self.lists = []
        for _ in range(self.int()):
            order, name, files = self.int(), self.string(), []
            for _ in range(self.int()):
                _key, file_id, path, title = self.int(), self.int(), self.string(), self.string()
                files.append({"id": file_id, "path": path, "title": title,
                              "volume": self.int(), "preset": self.int()})
            self.lists.append({"order": order, "name": name, "files": files})
        count, self.preset_capacity, self.preset_growth = self.int(), self.int(), self.int()
        self.presets = []
        for _ in range(count):
            preset_id, name, kind = self.int(), self.string(), self.int()
            points, _, _ = self.int(), self.int(), self.int()
            pts = [struct.unpack_from("<fff", data, self.at + 12 * i) for i in range(points)]
            self.at += 12 * points
            self.presets.append({"id": preset_id, "name": name, "type": kind, "points": pts})
        self.hot_keys = [(self.int(), self.int(), self.int()) for _ in range(13)]
        self.rects_at = self.at  # where the editor's layout lies in the file
        self.rects = [[self.int() for _ in range(4)] for _ in range(6)]
        # The optional block after the classic fields: its records by name.
        self.records = {}
        if data[self.at:self.at + 8] == b"MLDK.EXT":
            self.at += 8
            while self.at + 5 <= len(data):
                start = self.at
                name = self.string()
                length = struct.unpack_from("<I", data, self.at)[0]
                if self.at + 4 + length > len(data):
                    self.at = start  # a record running past the end ends the block
                    break
                self.records[name] = data[self.at + 4:self.at + 4 + length]
                self.at += 4 + length
        self.trailing = len(data) - self.at  # bytes no reader takes

    def loudness(self):
        """The "loudness" record: {entry id: (track LUFS, track peak, album
        LUFS or None, album peak or None)}."""
        value = self.records.get("loudness", b"")
        if len(value) < 4:
            return {}
        out = {}
        for i in range(struct.unpack_from("<i", value)[0]):
            entry, lufs, peak, has_album, album, album_peak = struct.unpack_from("<iffiff", value, 4 + 24 * i)
            out[entry] = (lufs, peak, album if has_album else None, album_peak if has_album else None)
        return out

    def record_ints(self, name):
        """A record as its 32-bit values (the queue: count, ids)."""
        value = self.records.get(name, b"")
        return list(struct.unpack("<%di" % (len(value) // 4), value[:len(value) // 4 * 4]))

    def int(self):
        value = struct.unpack_from("<i", self.data, self.at)[0]
        self.at += 4
        return value

    def prefix(self):
        length = self.data[self.at]
        self.at += 1
        if length == 0xFF:
            length = struct.unpack_from("<H", self.data, self.at)[0]
            self.at += 2
            if length == 0xFFFE:
                return None  # the 16-bit text mark; its own prefix follows
            if length == 0xFFFF:
                length = struct.unpack_from("<I", self.data, self.at)[0]
                self.at += 4
        return length

    def string(self):
        """Byte strings as Latin-1 (their bytes unchanged); 16-bit strings
        decoded, and remembered in self.wide."""
        length = self.prefix()
        if length is None:
            length = self.prefix()
            text = self.data[self.at:self.at + 2 * length].decode("utf-16-le")
            self.at += 2 * length
            self.wide.add(text)
            return text
        text = self.data[self.at:self.at + length].decode("latin-1")
        self.at += length
        return text


def dde_client(*args, timeout=30):
    """Runs the DDE test client; returns (exit code, printed text)."""
    result = subprocess.run(["wine", os.path.join(TOOLS_DIR, "dde_client.exe"), *map(str, args)],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
    return result.returncode, result.stdout.decode(errors="replace").strip()


def tone_file(path, level, frames=8820, rate=44100):
    """A short stereo WAV file whose every frame is (level, -level): what it
    played is recognisable in the capture."""
    write_wav(path, [(level, -level)] * frames, rate=rate)
    return path


def played_levels(frames):
    """The distinct left-channel levels of the sounding frames, in the order
    they were first heard."""
    order = []
    for left, right in frames:
        if (left, right) != (0, 0) and left not in order:
            order.append(left)
    return order


def tray_icon_shown():
    """True while Wine's own tray window is mapped: it shows only while some
    program has an icon in it."""
    info = subprocess.run(["xwininfo", "-name", "Wine System Tray"], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=10).stdout.decode()
    return "IsViewable" in info


def tray_icon_centre():
    """Screen position of the first icon in Wine's own tray window (shown
    when there is no desktop tray), read from the X server."""
    info = subprocess.run(["xwininfo", "-name", "Wine System Tray"], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=10).stdout.decode()
    fields = {}
    for line in info.splitlines():
        if ":" in line:
            key, _, value = line.strip().partition(":")
            fields[key] = value.strip()
    x, y = int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"])
    height = int(fields["Height"])
    return x + height // 2, y + height // 2


# Without a window manager on the test display nobody draws frames or
# captions; with "Decorated" (and "Managed") off Wine draws and sizes them
# itself. Set for melodek.exe only: a tray window that Wine's desktop process
# made with a frame of its own has its icon somewhere else than
# tray_icon_centre looks for it, for the rest of the run.
MELODEK_X11_KEY = r"HKCU\Software\Wine\AppDefaults\melodek.exe\X11 Driver"


def wine_reg(*args):
    subprocess.run(["wine", "reg", *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def wine_draws_melodek_frames(on, *values):
    """Turns the given X11 driver values (default "Decorated") off for
    melodek.exe, or back to Wine's defaults."""
    for value in values or ("Decorated",):
        if on:
            wine_reg("add", MELODEK_X11_KEY, "/v", value, "/d", "N", "/f")
        else:
            wine_reg("delete", MELODEK_X11_KEY, "/v", value, "/f")


def length_prefix(length):
    if length < 255:
        return bytes([length])
    if length <= 65533:
        return b"\xff" + struct.pack("<H", length)
    return b"\xff\xff\xff" + struct.pack("<I", length)


def counted_string(text, encoding="latin-1"):
    """A string as the archive holds it: bytes in the given code page, or
    with encoding "utf-16" the 16-bit form (0xFF, 0xFFFE, a prefix counting
    16-bit units, the units)."""
    if encoding == "utf-16":
        units = text.encode("utf-16-le")
        return b"\xff\xfe\xff" + length_prefix(len(units) // 2) + units
    data = text.encode(encoding)
    return length_prefix(len(data)) + data


def settings_bytes(lists, presets, sel_file_id=0, play_mode=1, volume=100, encoding="latin-1"):
    """A ".mlcfg" archive written independently of the program: lists are
    (name, [(id, path, volume, preset id)]), presets (id, name, type, [(x, y)]);
    list names and paths in the given encoding (see counted_string)."""
    out = struct.pack("<9i", 16777472, 0, 0, play_mode, 0, sel_file_id, 255, volume, 0) + struct.pack("<i", 1)
    folders = [".", "Plugins"]
    out += struct.pack("<i", len(folders)) + b"".join(counted_string(f) for f in folders)
    out += struct.pack("<i", len(lists))
    for order, (name, files) in enumerate(lists):
        out += struct.pack("<i", order) + counted_string(name, encoding) + struct.pack("<i", len(files))
        for file_id, path, file_volume, preset in files:
            out += struct.pack("<ii", file_id, file_id) + counted_string(path, encoding) + counted_string("")
            out += struct.pack("<ii", file_volume, preset)
    out += struct.pack("<iii", len(presets), 256, 256)
    for preset_id, name, kind, points in presets:
        out += struct.pack("<i", preset_id) + counted_string(name) + struct.pack("<iiii", kind, len(points), 256, 256)
        for x, y in points:
            out += struct.pack("<fff", x, x, y)
    out += b"".join(struct.pack("<iII", 1, 10, key) for key in
                    (88, 86, 67, 90, 66, 78, 77, 188, 190, 112, 113, 114, 115))
    out += b"\x00" * (6 * 16)
    return out


def settings_extension(replaygain=None, loudness=()):
    """The optional block after the classic fields, as a newer program writes
    it: replaygain is (mode, preamp, untagged gain in hundredths of a dB,
    prevent clipping); loudness holds (id, LUFS, peak) records."""
    def record(name, value):
        return counted_string(name) + struct.pack("<I", len(value)) + value
    out = b"MLDK.EXT"
    if replaygain is not None:
        out += record("replaygain", struct.pack("<4i", *replaygain))
    if loudness:
        out += record("loudness", struct.pack("<i", len(loudness)) +
                      b"".join(struct.pack("<iffiff", i, lufs, peak, 0, 0, 0) for i, lufs, peak in loudness))
    return out


def tone_level(samples, frequency, rate):
    """Amplitude of one frequency in a list of samples (Goertzel)."""
    k = 2 * math.cos(2 * math.pi * frequency / rate)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + k * s1 - s2, s1
    power = s1 * s1 + s2 * s2 - k * s1 * s2
    return 2 * math.sqrt(max(power, 0.0)) / len(samples)


def level_runs(frames, shortest=64):
    """The left-channel levels in the order they were played, one entry per
    run of at least `shortest` equal frames (a cut file fades out through
    short ones), silence left out."""
    runs = []
    value, length = None, 0
    for left, right in frames:
        if (left, right) == (0, 0):
            continue
        value, length = (value, length + 1) if left == value else (left, 1)
        if length == shortest and (not runs or runs[-1] != value):
            runs.append(value)
    return runs


def without_gaps(frames, shortest_gap=8):
    """The frames without runs of silence of shortest_gap frames or more:
    Wine plays silence of its own when a buffer comes late on a busy
    machine, while single silent frames may be the sound's own."""
    kept, run = [], []
    for frame in frames:
        if frame == (0, 0):
            run.append(frame)
            continue
        if len(run) < shortest_gap:
            kept.extend(run)
        run = []
        kept.append(frame)
    return kept


def hold_hot_key(test, app, modifiers, key):
    """Another program that holds a hot key until the test ends."""
    out = open(os.path.join(app.folder, "holder.txt"), "wb")
    holder = subprocess.Popen(["wine", os.path.join(TOOLS_DIR, "probe.exe"), "hold-keys", "120000",
                               str(modifiers), str(key)], stdout=out, stderr=subprocess.DEVNULL)
    test.addCleanup(lambda: (holder.poll() is None and holder.kill(), holder.wait(), out.close()))
    test.assertTrue(wait_for(lambda: b"held" in read_bytes(out.name), timeout=30))
    return holder
