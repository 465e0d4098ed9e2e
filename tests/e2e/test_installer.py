"""The setup under Wine, in a fresh prefix of its own. A silent install for
the current user puts the files, the Start menu shortcut, the uninstall entry
and the shell registrations in place; the installed program plays, takes
files from the registered "Play with" and "Add to" command lines, keeps its
settings beside itself or, when its folder is read-only, in
%APPDATA%\\Melodek, and names the file when it can write nowhere; the Config
dialog switches the Run entry; a setup over a running copy closes it and
keeps its settings and added plug-ins; the uninstaller removes everything
but the settings, and those too when asked.

The steps share one installation and run in the order of their names."""
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import unittest

from melodek_e2e import (BUILD, TOOLS_DIR, MelodekTestCase, SettingsFile, level_runs, probe, read_bytes,
                         tone_file, wait_for)
from test_package import project_version

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PREFIX = os.path.join(BUILD, "e2e", "installer_prefix")
WORK = os.path.join(BUILD, "e2e", "installer_files")
HKCU = "HKEY_CURRENT_USER\\Software\\"
CLASSES = HKCU + "Classes\\"
UNINSTALL_KEY = HKCU + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\Melodek"
RUN_KEY = HKCU + "Microsoft\\Windows\\CurrentVersion\\Run"
PROGRAM_FILES = ["melodek.exe", "Plugins/in_wave.dll", "Plugins/in_mf.dll", "default.wav", "README.txt", "LICENSE",
                 "uninstall.exe"]
# The types the issue names at least; the plug-ins decide the rest.
REQUIRED_TYPES = {".mp3", ".m4a", ".aac", ".flac", ".wma", ".wav", ".m3u", ".m3u8"}
ID_CONFIG, IDC_START_WITH_WINDOWS = 32782, 1029
BM_GETCHECK, BM_SETCHECK, BM_CLICK = 0xF0, 0xF1, 0xF5


def quiet_run(args, timeout=180):
    """Runs a Windows program (or Wine tool) to its end; output to a log, never a pipe."""
    with open(os.path.join(WORK, "wine.log"), "ab") as log:
        return subprocess.run(args, stdout=log, stderr=log, timeout=timeout).returncode


def windows_variable(name):
    out = os.path.join(WORK, "variable.txt")
    with open(out, "wb") as f:
        subprocess.run(["wine", "cmd", "/c", "echo", "%" + name + "%"], stdout=f, stderr=subprocess.DEVNULL,
                       timeout=60)
    return read_bytes(out).decode(errors="replace").strip()


def make_fresh_prefix():
    """Makes PREFIX (os.environ's) anew and keeps its server running; returns the user's
    (LOCALAPPDATA, APPDATA), or None when the new prefix does not answer with them."""
    if os.path.isdir(PREFIX):
        quiet_run(["wineserver", "-k"])  # a server that an interrupted run left behind
        subprocess.run(["chattr", "-R", "-i", PREFIX], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shutil.rmtree(PREFIX, ignore_errors=True)
    quiet_run(["wineboot", "-i"], timeout=300)
    quiet_run(["wineserver", "-w"], timeout=300)
    quiet_run(["wineserver", "-p"])
    quiet_run(["wine", "cmd.exe", "/c", "exit", "0"])
    folders = windows_variable("LOCALAPPDATA"), windows_variable("APPDATA")
    return folders if all(folder[:3].upper() == "C:\\" for folder in folders) else None


def keep_wine_log(name):
    """Copies what Wine said so far into a folder of the test's own that outlives the next run's start."""
    kept = os.path.join(WORK, name)
    os.makedirs(kept, exist_ok=True)
    shutil.copy(os.path.join(WORK, "wine.log"), kept)
    return kept


def unix_path(path):
    """C:\\... inside the test's prefix, as a Linux path."""
    assert path[:3].upper() == "C:\\", path
    return os.path.join(PREFIX, "drive_c", *path[3:].split("\\"))


def registry(key):
    """The values of every key under `key` ({lower-case key: {lower-case name: value}}) from reg export;
    strings as text, dwords as int, REG_NONE as None."""
    out = os.path.join(WORK, "export.reg")
    if os.path.exists(out):
        os.remove(out)
    quiet_run(["wine", "reg", "export", key, out, "/y"], timeout=60)
    if not os.path.exists(out):
        return {}
    text = read_bytes(out).decode("utf-16")
    keys, values, pending = {}, None, ""
    for line in text.splitlines():
        line = pending + line.strip()
        pending = ""
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            values = keys.setdefault(line[1:-1].lower(), {})
            continue
        match = re.match(r'^(@|"((?:[^"\\]|\\.)*)")=(.*)$', line)
        if not match or values is None:
            continue
        name = "" if match.group(1) == "@" else re.sub(r"\\(.)", r"\1", match.group(2))
        data = match.group(3)
        if data.startswith('"'):
            value = re.sub(r"\\(.)", r"\1", data[1:-1])
        elif data.startswith("dword:"):
            value = int(data[6:], 16)
        elif data.startswith("hex(0):"):
            value = None
        else:
            value = data
        values[name.lower()] = value
    return keys


def link_target(path):
    """The local path a shell link (.lnk) points at (its LinkInfo's LocalBasePath)."""
    data = read_bytes(path)
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    if flags & 1:  # HasLinkTargetIDList
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if not flags & 2:  # HasLinkInfo
        return None
    base = struct.unpack_from("<I", data, at + 16)[0]
    return data[at + base:data.index(b"\0", at + base)].decode("latin-1")


def settings_lists(path):
    return [[f["path"] for f in lst["files"]] for lst in SettingsFile(read_bytes(path)).lists]


def screenshot(title, name):
    """With MELODEK_SCREENSHOTS set, saves the X window with that title there as <name>.png (Wine without
    a window manager draws no frame). Waits for the window first."""
    folder = os.environ.get("MELODEK_SCREENSHOTS")
    if not folder:
        return

    def window():
        tree = subprocess.run(["xwininfo", "-root", "-tree"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              timeout=10).stdout.decode(errors="replace")
        match = re.search(r'^\s*(0x[0-9a-f]+) "%s":' % re.escape(title), tree, re.M)
        return match.group(1) if match else None
    wid = wait_for(window, timeout=30)
    time.sleep(1.0)  # drawn
    subprocess.run(["import", "-window", wid, os.path.join(folder, name + ".png")], check=True, timeout=30)


def set_writable(path, writable):
    """Makes a folder (not) writable for Wine, which runs as this user, root included: root ignores
    permission bits, not the immutable attribute. False when neither works here."""
    if not writable:
        os.chmod(path, 0o555)
        subprocess.run(["chattr", "+i", path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        probe_file = os.path.join(path, "write-test")
        try:
            open(probe_file, "wb").close()
            os.remove(probe_file)
            return False
        except OSError:
            return True
    subprocess.run(["chattr", "-i", path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.chmod(path, 0o755)
    return True


class Installer(MelodekTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        flavour = os.path.basename(os.path.normpath(BUILD))
        cls.bits = "32" if flavour == "win" else "64"
        cls.version = project_version()
        shutil.rmtree(WORK, ignore_errors=True)
        os.makedirs(WORK)
        dist = os.path.join(WORK, "dist")
        subprocess.run(["bash", os.path.join(ROOT, "scripts", "package.sh"), "--no-build", "--out", dist, flavour],
                       check=True, stdout=subprocess.DEVNULL, timeout=600)
        cls.setup = os.path.join(dist, "melodek-%s-win%s-setup.exe" % (cls.version, cls.bits))
        # A fresh prefix: nothing of an earlier install, nothing of other tests.
        cls.saved_prefix = os.environ.get("WINEPREFIX")
        os.environ["WINEPREFIX"] = PREFIX
        cls.folder = cls.user_settings = None
        folders = make_fresh_prefix()
        if folders is None:
            # Seen once in many runs: the first boot of a prefix left one whose
            # cmd printed nothing. What Wine said stays with the evidence; a
            # second boot decides whether the machine can run the test at all.
            kept = keep_wine_log("evidence-prefix-boot-%d" % time.time())
            print("Wine's first boot of the setup's prefix gave no user folders (log: %s); booting again" % kept,
                  file=sys.stderr)
            folders = make_fresh_prefix()
        if folders is None:
            kept = keep_wine_log("evidence-prefix-boot-%d" % time.time())
            cls.tearDownClass()  # the prefix's server must not outlive the failure
            raise AssertionError("a fresh prefix gave no user folders twice; Wine's log: %s" % kept)
        cls.local_app_data, cls.app_data = folders
        cls.folder_win = cls.local_app_data + "\\Programs\\Melodek"
        cls.folder = unix_path(cls.folder_win)
        cls.exe_win = cls.folder_win + "\\melodek.exe"
        cls.user_settings = unix_path(cls.app_data + "\\Melodek")
        cls.link = unix_path(cls.app_data + "\\Microsoft\\Windows\\Start Menu\\Programs\\Melodek.lnk")

    @classmethod
    def tearDownClass(cls):
        for path in (cls.folder, cls.user_settings):
            if path and os.path.isdir(path):
                set_writable(path, True)
        quiet_run(["wineserver", "-k"])
        if cls.saved_prefix is None:
            os.environ.pop("WINEPREFIX", None)
        else:
            os.environ["WINEPREFIX"] = cls.saved_prefix
        super().tearDownClass()

    def tearDown(self):
        super().tearDown()
        # A copy started through the launch tool outlives the tool when killed: end it too.
        if probe("main-window")[0] == 0:
            quiet_run(["wine", "taskkill", "/f", "/im", "melodek.exe"], timeout=60)
            probe("wait-exit", 10000)

    # --- helpers ---------------------------------------------------------------

    def install(self, *options):
        started = time.monotonic()
        self.assertEqual(quiet_run(["wine", self.setup, "/S", *options]), 0)
        return time.monotonic() - started

    def installed(self, name):
        return self.melodek(name, installed_exe=os.path.join(self.folder, "melodek.exe"))

    def verb_command(self, key, verb, path):
        """The verb's command line as the registry holds it, with the file put in for %1."""
        command = registry(key + "\\shell\\" + verb + "\\command")[(key + "\\shell\\" + verb + "\\command").lower()]
        self.assertIn('"%1"', command[""])
        return command[""].replace("%1", path)

    def tone(self, name, level, seconds):
        return tone_file(os.path.join(WORK, name), level, frames=int(44100 * seconds))

    def win(self, path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def run_uninstaller(self, *options, key=UNINSTALL_KEY, folder=None):
        """The uninstall entry's quiet command line, run as a package manager would, then waits for the
        uninstaller's copy in %TEMP% to finish."""
        quiet = registry(key)[key.lower()]["quietuninstallstring"]
        launch = os.path.join(TOOLS_DIR, "launch.exe")
        self.assertEqual(quiet_run(["wine", launch, "run", " ".join((quiet,) + options)]), 0)
        self.assertTrue(wait_for(lambda: not os.path.exists(os.path.join(folder or self.folder, "uninstall.exe"))
                                 and key.lower() not in registry(key), timeout=60))

    # --- the steps ---------------------------------------------------------------

    def test_1_silent_install_for_the_user_registers_without_taking_types(self):
        if os.environ.get("MELODEK_SCREENSHOTS"):
            shown = subprocess.Popen(["wine", self.setup], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            screenshot("Melodek Setup", "setup_options")
            quiet_run(["wine", "taskkill", "/f", "/im", os.path.basename(self.setup)], timeout=60)
            shown.wait(timeout=60)
        seconds = self.install()
        print("\nsetup %s: %d bytes; silent install %.1f s" % (os.path.basename(self.setup),
                                                               os.path.getsize(self.setup), seconds))
        for name in PROGRAM_FILES:
            self.assertTrue(os.path.isfile(os.path.join(self.folder, name)), name)
        self.assertEqual(link_target(self.link).lower(), self.exe_win.lower())

        uninstall = registry(UNINSTALL_KEY)[UNINSTALL_KEY.lower()]
        size_kib = sum(os.path.getsize(os.path.join(self.folder, n)) for n in PROGRAM_FILES) // 1024
        self.assertEqual(uninstall["displayname"], "Melodek")
        self.assertEqual(uninstall["displayversion"], self.version)
        self.assertEqual(uninstall["publisher"], "The Melodek authors")
        self.assertEqual(uninstall["displayicon"], self.exe_win + ",0")
        self.assertEqual(uninstall["installlocation"], self.folder_win)
        self.assertEqual(uninstall["uninstallstring"], '"%s\\uninstall.exe"' % self.folder_win)
        self.assertEqual(uninstall["quietuninstallstring"], '"%s\\uninstall.exe" /S' % self.folder_win)
        self.assertLessEqual(abs(uninstall["estimatedsize"] - size_kib), len(PROGRAM_FILES))

        # Every type the bundled plug-ins declare, and the play lists.
        declared = {".m3u", ".m3u8"}
        for plugin in ("in_wave.dll", "in_mf.dll"):
            out = os.path.join(WORK, "extensions.txt")
            with open(out, "wb") as f:
                code = subprocess.run(["wine", os.path.join(TOOLS_DIR, "launch.exe"), "extensions",
                                       self.folder_win + "\\Plugins\\" + plugin], stdout=f,
                                      stderr=subprocess.DEVNULL, timeout=60).returncode
            self.assertEqual(code, 0, plugin)
            declared |= {"." + e.strip().lower() for e in read_bytes(out).decode().split()}
        self.assertLessEqual(REQUIRED_TYPES, declared)

        classes = registry(HKCU + "Classes")
        software = registry(HKCU + "Melodek")
        app_key = CLASSES.lower() + "applications\\melodek.exe"
        self.assertEqual(set(classes[app_key + "\\supportedtypes"]), declared)
        play = '"%s" "%%1"' % self.exe_win
        add = '"%s" /add "%%1"' % self.exe_win
        self.assertEqual(classes[app_key + "\\shell\\open\\command"][""], play)
        self.assertEqual(classes[app_key + "\\shell\\melodek.add\\command"][""], add)
        capabilities = software[(HKCU + "Melodek\\Capabilities").lower()]
        self.assertEqual(capabilities["applicationname"], "Melodek")
        self.assertTrue(capabilities["applicationdescription"])
        associations = software[(HKCU + "Melodek\\Capabilities\\FileAssociations").lower()]
        self.assertEqual(set(associations), declared)
        self.assertEqual(registry(HKCU + "RegisteredApplications")[(HKCU + "RegisteredApplications").lower()]
                         ["melodek"], "Software\\Melodek\\Capabilities")
        for ext in declared:
            progid = associations[ext]
            self.assertEqual(classes[CLASSES.lower() + progid.lower() + "\\shell\\open\\command"][""], play)
            # Offered in "Open with", the type's own default program left alone.
            self.assertIn(progid.lower(), classes[CLASSES.lower() + ext + "\\openwithprogids"])
            self.assertNotIn("", classes.get(CLASSES.lower() + ext, {}))
        for key in ["systemfileassociations\\" + ext for ext in declared] + ["directory"]:
            for verb, text, command in (("melodek.play", "Play with Melodek", play),
                                        ("melodek.add", "Add to Melodek's list", add)):
                values = classes[CLASSES.lower() + key + "\\shell\\" + verb]
                self.assertEqual((values[""], values["multiselectmodel"]), (text, "Player"), key)
                self.assertEqual(classes[CLASSES.lower() + key + "\\shell\\" + verb + "\\command"][""], command)
        self.assertNotIn("melodek", registry(RUN_KEY).get(RUN_KEY.lower(), {}))

    def test_2_play_with_then_add_to_appends_in_order_while_the_first_plays(self):
        """Needs the program's /add switch (the single-instance hand-over)."""
        first = self.tone("first.wav", 3100, 40)
        added = [self.tone("added%d.wav" % n, 3200 + n, 0.3) for n in range(3)]
        app = self.installed("installer_add")
        app.start_command_lines(self.verb_command(CLASSES + "SystemFileAssociations\\.wav", "Melodek.Play",
                                                  self.win(first)))
        self.assertTrue(wait_for(lambda: level_runs(app.captured_frames())[:1] == [3100], timeout=30))
        # Explorer's three invocations for a selection of three files: one process each, started in order.
        commands = [self.verb_command(CLASSES + "SystemFileAssociations\\.wav", "Melodek.Add", self.win(p))
                    for p in added]
        self.assertEqual(subprocess.run(["wine", os.path.join(TOOLS_DIR, "launch.exe"), "run", *commands],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        timeout=120).returncode, 0)
        expected = [3100, 3200, 3201, 3202]
        self.assertTrue(wait_for(lambda: level_runs(app.captured_frames())[:4] == expected, timeout=120),
                        level_runs(app.captured_frames()))
        # The first file played through once, from its start to its end: the hand-overs did not restart it.
        first_capture = app.capture_paths()[0]
        frames = len(read_bytes(first_capture)) // 4
        self.assertGreaterEqual(frames, int(44100 * 40))
        self.assertEqual(app.exit(), 0)
        lists = settings_lists(os.path.join(self.folder, "melodek.mlcfg"))
        self.assertEqual(lists[0][:4], [self.win(p) for p in [first] + added])
        self.assertFalse(os.path.exists(self.user_settings))

    def test_3_settings_go_to_app_data_when_the_folder_is_read_only_and_a_failed_save_is_told(self):
        beside = os.path.join(self.folder, "melodek.mlcfg")
        for path in (beside, os.path.join(self.folder, "melodek.cfg")):
            if os.path.exists(path):
                os.remove(path)
        shutil.rmtree(self.user_settings, ignore_errors=True)
        self.addCleanup(set_writable, self.folder, True)
        if not set_writable(self.folder, False):
            self.skipTest("this machine cannot make a folder read-only for Wine")
        user_file = os.path.join(self.user_settings, "melodek.mlcfg")
        played = self.tone("readonly.wav", 3300, 0.3)
        app = self.installed("installer_readonly")
        app.start_command_lines(self.verb_command(CLASSES + "Applications\\melodek.exe", "open", self.win(played)))
        self.assertTrue(wait_for(lambda: 3300 in level_runs(app.captured_frames())))
        self.assertEqual(app.exit(), 0)
        self.assertFalse(os.path.exists(beside))
        self.assertEqual(settings_lists(user_file)[0][0], self.win(played))
        # The next start finds them there, and saves them there again.
        app.start()
        self.assertEqual(app.exit(), 0)
        on_disk = read_bytes(user_file)
        self.assertEqual(settings_lists(user_file)[0][0], self.win(played))

        # Neither place writable: the exit names the file, and the file on disk stays as it was.
        self.addCleanup(set_writable, self.user_settings, True)
        self.assertTrue(set_writable(self.user_settings, False))
        lost = self.tone("lost.wav", 3400, 0.3)
        app.start(self.win(lost))
        self.assertTrue(wait_for(lambda: 3400 in level_runs(app.captured_frames())))
        app.command(57665)  # Exit
        self.assertTrue(wait_for(lambda: probe("visible", "Melodek")[0] == 0, timeout=30))
        message = probe("child-texts", "Melodek")[1]
        self.assertIn(self.app_data + "\\Melodek\\melodek.mlcfg", message)
        self.assertIn(self.folder_win + "\\melodek.mlcfg", message)
        probe("send-item", "Melodek", 1, BM_CLICK, 0, 0)  # OK
        self.assertEqual(app.process.wait(timeout=30), 0)
        app.close_output()
        set_writable(self.user_settings, True)
        set_writable(self.folder, True)
        self.assertEqual(read_bytes(user_file), on_disk)
        self.assertFalse(os.path.exists(beside))
        app.start()
        self.assertEqual(app.exit(), 0)
        self.assertEqual(settings_lists(user_file)[0][0], self.win(played))

    def test_4_config_check_box_writes_and_removes_the_run_entry(self):
        app = self.installed("installer_run_entry")
        app.start()
        for tick, expected in ((1, '"%s"' % self.exe_win), (0, None)):
            app.command(ID_CONFIG)
            self.assertTrue(wait_for(lambda: probe("visible", "Config")[0] == 0, timeout=10))
            if tick == 0:
                screenshot("Config", "config")
            # The box shows the registry's state.
            self.assertEqual(probe("send-item", "Config", IDC_START_WITH_WINDOWS, BM_GETCHECK, 0, 0)[1],
                             str(1 - tick))
            probe("send-item", "Config", IDC_START_WITH_WINDOWS, BM_SETCHECK, tick, 0)
            probe("send-item", "Config", 1, BM_CLICK, 0, 0)  # OK
            self.assertTrue(wait_for(lambda: probe("visible", "Config")[0] != 0, timeout=10))
            self.assertEqual(registry(RUN_KEY).get(RUN_KEY.lower(), {}).get("melodek"), expected)
        self.assertEqual(app.exit(), 0)

    def test_5_setup_over_a_running_copy_closes_it_and_keeps_settings_and_plug_ins(self):
        shutil.rmtree(self.user_settings, ignore_errors=True)
        kept = self.tone("kept.wav", 3500, 0.3)
        app = self.installed("installer_upgrade")
        app.start(self.win(kept))
        self.assertTrue(wait_for(lambda: 3500 in level_runs(app.captured_frames())))
        extra = os.path.join(self.folder, "Plugins", "in_extra.dll")
        shutil.copyfile(os.path.join(self.folder, "Plugins", "in_wave.dll"), extra)
        extra_bytes = read_bytes(extra)
        self.install("/AUTOSTART")
        # Asked to exit through its window, it saved and ended before its files were replaced.
        self.assertEqual(app.process.wait(timeout=30), 0)
        app.close_output()
        beside = os.path.join(self.folder, "melodek.mlcfg")
        self.assertEqual(settings_lists(beside)[0][0], self.win(kept))
        self.assertEqual(read_bytes(extra), extra_bytes)
        self.assertEqual(registry(RUN_KEY)[RUN_KEY.lower()]["melodek"], '"%s"' % self.exe_win)
        app.start()
        self.assertEqual(app.exit(), 0)
        self.assertEqual(settings_lists(beside)[0][0], self.win(kept))

    def test_6_uninstall_removes_everything_but_the_settings_and_those_when_asked(self):
        beside = os.path.join(self.folder, "melodek.mlcfg")
        settings = read_bytes(beside)
        os.makedirs(self.user_settings, exist_ok=True)
        shutil.copyfile(beside, os.path.join(self.user_settings, "melodek.mlcfg"))
        if os.environ.get("MELODEK_SCREENSHOTS"):
            launch = os.path.join(TOOLS_DIR, "launch.exe")
            shown = subprocess.Popen(["wine", launch, "run", '"%s\\uninstall.exe"' % self.folder_win],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            screenshot("Melodek Uninstall", "uninstall")
            quiet_run(["wine", "taskkill", "/f", "/im", "Un_A.exe"], timeout=60)
            shown.wait(timeout=60)
        self.run_uninstaller()
        for name in PROGRAM_FILES:
            self.assertFalse(os.path.exists(os.path.join(self.folder, name)), name)
        self.assertFalse(os.path.exists(self.link))
        self.assertEqual(read_bytes(beside), settings)
        self.assertTrue(os.path.exists(os.path.join(self.folder, "Plugins", "in_extra.dll")))
        classes = registry(HKCU + "Classes")
        left = [k for k in classes if "melodek" in k or any("melodek" in v for v in classes[k])]
        self.assertEqual(left, [])
        self.assertEqual(registry(HKCU + "Melodek"), {})
        self.assertNotIn("melodek", registry(HKCU + "RegisteredApplications").get(
            (HKCU + "RegisteredApplications").lower(), {}))
        self.assertNotIn("melodek", registry(RUN_KEY).get(RUN_KEY.lower(), {}))

        self.install()
        self.run_uninstaller("/REMOVESETTINGS")
        self.assertFalse(os.path.exists(beside))
        self.assertFalse(os.path.exists(self.user_settings))

    def test_7_all_users_install_keeps_settings_in_app_data_even_with_rights(self):
        """Wine runs every program with administrator rights: /ALLUSERS installs into Program Files with
        the keys under HKLM, and the program, able to write its folder, still keeps its settings in
        %APPDATA%\\Melodek, where the user's other runs find them."""
        shutil.rmtree(self.user_settings, ignore_errors=True)
        self.install("/ALLUSERS")
        key, entry = None, None
        for view in ("HKEY_LOCAL_MACHINE\\Software\\", "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\"):
            candidate = view + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\Melodek"
            if candidate.lower() in registry(candidate):
                key, entry = candidate, registry(candidate)[candidate.lower()]
        self.assertIsNotNone(entry)
        self.assertNotIn(UNINSTALL_KEY.lower(), registry(UNINSTALL_KEY))
        folder_win = entry["installlocation"]
        self.assertIn("\\Program Files", folder_win)
        folder = unix_path(folder_win)
        link = unix_path(windows_variable("ProgramData") + "\\Microsoft\\Windows\\Start Menu\\Programs"
                         "\\Melodek.lnk")
        self.assertEqual(link_target(link).lower(), (folder_win + "\\melodek.exe").lower())

        played = self.tone("all_users.wav", 3600, 0.3)
        app = self.melodek("installer_all_users", installed_exe=os.path.join(folder, "melodek.exe"))
        app.start(self.win(played))
        self.assertTrue(wait_for(lambda: 3600 in level_runs(app.captured_frames())))
        self.assertEqual(app.exit(), 0)
        user_file = os.path.join(self.user_settings, "melodek.mlcfg")
        self.assertFalse(os.path.exists(os.path.join(folder, "melodek.mlcfg")))
        self.assertEqual(settings_lists(user_file)[0][0], self.win(played))

        self.run_uninstaller(key=key, folder=folder)
        self.assertFalse(os.path.exists(os.path.join(folder, "melodek.exe")))
        self.assertFalse(os.path.exists(link))
        self.assertTrue(os.path.exists(user_file))


if __name__ == "__main__":
    unittest.main()
