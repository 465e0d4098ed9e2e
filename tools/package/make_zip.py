"""Writes one Melodek download: a zip holding melodek.exe, its Plugins folder,
the default sound, README.txt and LICENSE, with Windows line ends for the
texts. Usage: make_zip.py <zip> <app folder> <bits> <version> <readme> <license> <strip>"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

PLUGIN_NOTE = {
    "32": "Classic 32-bit input plug-ins (in_*.dll) go into the Plugins\nfolder of this 32-bit build.",
    "64": "This 64-bit build loads only 64-bit input plug-ins; classic\n32-bit plug-ins need the 32-bit build, in whose Plugins folder they go.",
}
BINARIES = ["melodek.exe", "Plugins/in_wave.dll", "Plugins/in_mf.dll"]


def main():
    out, app, bits, version, readme, license_file, strip = sys.argv[1:8]
    with open(readme) as f:
        text = f.read().replace("@VERSION@", version).replace("@BITS@", bits)
    text = text.replace("@PLUGIN_NOTE@", PLUGIN_NOTE[bits])
    with open(license_file) as f:
        license_text = f.read()
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with tempfile.TemporaryDirectory() as work, zipfile.ZipFile(out + ".part", "w", zipfile.ZIP_DEFLATED) as z:
        for name in BINARIES:
            copy = os.path.join(work, os.path.basename(name))
            shutil.copyfile(os.path.join(app, name), copy)
            subprocess.run([strip, copy], check=True)
            z.write(copy, name)
        z.write(os.path.join(app, "default.wav"), "default.wav")
        z.writestr("README.txt", text.replace("\n", "\r\n"))
        z.writestr("LICENSE", license_text.replace("\n", "\r\n"))
    os.replace(out + ".part", out)


if __name__ == "__main__":
    main()
