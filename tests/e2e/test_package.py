"""The download: the package script's zip for the flavour under test holds
the program, its plug-ins, the default sound, README.txt and LICENSE; the
program plays the default sound from an empty folder it was unpacked into;
every binary's version resource carries the project version."""
import os
import re
import shutil
import struct
import subprocess
import unittest
import zipfile

from melodek_e2e import BUILD, MelodekTestCase, wait_for
from test_playback import read_wav_frames, sounding

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BINARIES = ["melodek.exe", "Plugins/in_wave.dll", "Plugins/in_mf.dll"]


def project_version():
    with open(os.path.join(BUILD, "CMakeCache.txt")) as f:
        return re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$", f.read(), re.M).group(1)


def fixed_file_version(data):
    """FILEVERSION of a PE file's version resource, as "a.b.c.d"."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


class Package(MelodekTestCase):
    def test_unpacked_download_plays_and_names_its_version(self):
        flavour = os.path.basename(os.path.normpath(BUILD))
        out = os.path.join(BUILD, "e2e", "package_dist")
        shutil.rmtree(out, ignore_errors=True)
        printed = subprocess.run(["bash", os.path.join(ROOT, "scripts", "package.sh"), "--no-build", "--out", out,
                                  flavour], check=True, stdout=subprocess.PIPE, timeout=300).stdout.decode()
        version = project_version()
        bits = "32" if flavour == "win" else "64"
        path = os.path.join(out, "melodek-%s-win%s.zip" % (version, bits))
        setup = os.path.join(out, "melodek-%s-win%s-setup.exe" % (version, bits))
        self.assertEqual(printed.split(), [path, setup])
        self.assertTrue(os.path.getsize(setup) > 0)

        unpacked = os.path.join(BUILD, "e2e", "package_unpacked")
        shutil.rmtree(unpacked, ignore_errors=True)
        with zipfile.ZipFile(path) as z:
            self.assertEqual(sorted(z.namelist()), sorted(BINARIES + ["default.wav", "README.txt", "LICENSE"]))
            readme = z.read("README.txt").decode()
            self.assertIn("Melodek %s (%s-bit)" % (version, bits), readme)
            self.assertNotIn("@", readme)
            self.assertIn("\r\n", readme)
            self.assertIn("MIT License", z.read("LICENSE").decode())
            z.extractall(unpacked)
        for name in BINARIES:
            with open(os.path.join(unpacked, name), "rb") as f:
                self.assertEqual(fixed_file_version(f.read()), version + ".0", name)

        app = self.melodek("package_run", app_dir=unpacked)
        _, source = read_wav_frames(os.path.join(unpacked, "default.wav"))
        expected = sounding(source)
        app.start(app.windows_path(os.path.join(app.folder, "default.wav")))
        self.assertTrue(wait_for(lambda: len(sounding(app.captured_frames())) >= len(expected), timeout=30))
        self.assertEqual(app.exit(), 0)
        self.assertEqual(sounding(app.captured_frames())[:len(expected)], expected)


if __name__ == "__main__":
    unittest.main()
