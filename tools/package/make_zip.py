"""Writes one Melodek download: a zip holding melodek.exe, its Plugins folder,
the default sound, README.txt and LICENSE, with Windows line ends for the
texts. With --stage the same files are also left in that folder, for the
setup to pack. Usage:
make_zip.py [--stage DIR] <zip> <app folder> <bits> <version> <readme> <license> <strip>"""
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


def stage(folder, app, bits, version, readme, license_file, strip):
    """Fills folder with the download's files; returns their names, in the zip's order."""
    with open(readme) as f:
        text = f.read().replace("@VERSION@", version).replace("@BITS@", bits)
    text = text.replace("@PLUGIN_NOTE@", PLUGIN_NOTE[bits])
    with open(license_file) as f:
        license_text = f.read()
    os.makedirs(os.path.join(folder, "Plugins"), exist_ok=True)
    for name in BINARIES:
        copy = os.path.join(folder, name)
        shutil.copyfile(os.path.join(app, name), copy)
        subprocess.run([strip, copy], check=True)
    shutil.copyfile(os.path.join(app, "default.wav"), os.path.join(folder, "default.wav"))
    for name, content in (("README.txt", text), ("LICENSE", license_text)):
        with open(os.path.join(folder, name), "w", newline="") as f:
            f.write(content.replace("\n", "\r\n"))
    return BINARIES + ["default.wav", "README.txt", "LICENSE"]


def main():
    args = sys.argv[1:]
    stage_folder = None
    if args[:1] == ["--stage"]:
        stage_folder, args = args[1], args[2:]
    out, app, bits, version, readme, license_file, strip = args[:7]
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        folder = stage_folder or work
        if stage_folder:
            shutil.rmtree(stage_folder, ignore_errors=True)
        names = stage(folder, app, bits, version, readme, license_file, strip)
        with zipfile.ZipFile(out + ".part", "w", zipfile.ZIP_DEFLATED) as z:
            for name in names:
                z.write(os.path.join(folder, name), name)
    os.replace(out + ".part", out)


if __name__ == "__main__":
    main()
