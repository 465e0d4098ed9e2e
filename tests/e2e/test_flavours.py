"""The 32-bit and the 64-bit program write the same settings file for the
same actions, byte for byte, and each reads what the other wrote. Runs the
flavour under test and, where this machine runs it too, the other one."""
import os
import subprocess
import unittest

from melodek_e2e import BUILD, MelodekTestCase, SettingsFile, probe, read_bytes, tone_file, wait_for, write_bytes

FLAVOURS = ("win", "win64")


def other_flavour_build():
    name = os.path.basename(os.path.normpath(BUILD))
    other = FLAVOURS[1] if name == FLAVOURS[0] else FLAVOURS[0]
    return os.path.join(os.path.dirname(os.path.normpath(BUILD)), other)


def runs_here(build):
    """True when this Wine runs the programs of that build (its tiny probe)."""
    exe = os.path.join(build, "tools", "arch_probe", "arch_probe.exe")
    if not os.path.exists(exe):
        return False
    try:
        result = subprocess.run(["wine", exe], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=90)
    except subprocess.TimeoutExpired:
        return False
    return result.returncode == 0 and b"-bit" in result.stdout


class Flavours(MelodekTestCase):
    def play_and_change(self, app, songs):
        """The same actions in every flavour: two files from the command line,
        the volume up twice by hot key, Next, Exit. Returns the saved file."""
        app.start(*[app.windows_path(song) for song in songs])
        self.assertTrue(wait_for(lambda: len(app.captured_bytes()) > 0, timeout=20))
        probe("send-keys", 10, 190)  # Ctrl+Win+.: volume up
        probe("send-keys", 10, 190)
        self.assertTrue(app.command(32777))  # Next
        self.assertTrue(wait_for(lambda: len(app.capture_paths()) >= 2, timeout=20))
        self.assertEqual(app.exit(), 0)
        return read_bytes(os.path.join(app.folder, "melodek.mlcfg"))

    def reload(self, app, data):
        """Starts the program on `data` and lets it save again unchanged."""
        write_bytes(os.path.join(app.folder, "melodek.mlcfg"), data)
        app.start()
        self.assertEqual(app.exit(), 0)
        return read_bytes(os.path.join(app.folder, "melodek.mlcfg"))

    def test_both_flavours_write_and_read_the_same_file(self):
        music = os.path.join(BUILD, "e2e", "flavours_music")
        os.makedirs(music, exist_ok=True)
        # Long enough that neither ends by itself during the actions (the
        # captured device plays faster than real time).
        songs = [tone_file(os.path.join(music, name), level, frames=30 * 44100)
                 for name, level in (("one.wav", 2000), ("two.wav", 3000))]

        tested = self.melodek("flavours_tested")
        written = self.play_and_change(tested, songs)
        saved = SettingsFile(written)
        self.assertEqual(saved.trailing, 0)
        self.assertEqual(saved.volume, 102)
        self.assertEqual([f["path"] for f in saved.lists[0]["files"]], [tested.windows_path(s) for s in songs])
        self.assertEqual(saved.sel_file_id, saved.lists[0]["files"][1]["id"])
        self.assertEqual(self.reload(tested, written), written)

        other_build = other_flavour_build()
        if not runs_here(other_build):
            self.skipTest("the other flavour (%s) is not built or does not run on this machine"
                          % os.path.basename(other_build))
        other = self.melodek("flavours_other", app_dir=os.path.join(other_build, "melodek"))
        self.assertEqual(self.play_and_change(other, songs), written)
        # Each reads the other's file: loaded and saved again, it is unchanged.
        self.assertEqual(self.reload(other, written), written)


if __name__ == "__main__":
    unittest.main()
