"""Starts of the program that meet: many at once with no copy running, many
handing over to a running copy, a start while the running copy ends, a
running copy that does not answer, and the "/add" switch, which appends to
the list without interrupting what plays."""
import os
import random
import subprocess
import time
import unittest

from melodek_e2e import (TOOLS_DIR, MelodekTestCase, SettingsFile, level_runs, played_levels, probe, read_bytes,
                         tone_file, wait_for, without_gaps)

EXIT, PLAY, STOP = 57665, 32773, 32775
REPEATS = 3  # the simultaneous cases, each time from scratch


class HandOver(MelodekTestCase):
    def saved_paths(self, app):
        data = SettingsFile(read_bytes(os.path.join(app.folder, "melodek.mlcfg")))
        return [f["path"] for f in data.lists[0]["files"]]

    def tones(self, app, levels, frames=8820):
        return [tone_file(os.path.join(app.folder, "t%d.wav" % level), level, frames=frames) for level in levels]

    def simultaneous_first_starts(self, count, seed):
        """`count` starts at the same moment, one file each, no copy running:
        one becomes the first copy, the others hand over soon after its main
        dialog appears, and the list holds every file once."""
        app = self.melodek("simultaneous_%d_%d" % (count, seed))
        files = self.tones(app, [1000 + 10 * i for i in range(count)])
        order = list(range(count))
        random.Random(seed).shuffle(order)
        starts = [app.launch(app.windows_path(files[i])) for i in order]
        try:
            self.first_copy_takes_every_file(app, files, starts)
        finally:
            for process in starts:  # nothing is left for the next case, whatever happened
                if process.poll() is None:
                    process.kill()
                    process.wait()
            probe("wait-exit", 10000)

    def first_copy_takes_every_file(self, app, files, starts):
        count = len(starts)
        app.process = starts[0]  # for the evidence, until the first copy is known
        app.wait_window(lambda: probe("main-window")[0] == 0, "no main dialog after %d simultaneous starts" % count)
        dialog = time.monotonic()
        ended = wait_for(lambda: sum(p.poll() is not None for p in starts) >= count - 1, timeout=15, interval=0.02)
        ended_after = time.monotonic() - dialog
        running = [p for p in starts if p.poll() is None]
        self.assertTrue(ended, "%d of %d starts still run %.1f s after the main dialog appeared"
                        % (len(running), count, ended_after))
        self.assertEqual(len(running), 1, "exactly one copy is left")
        self.assertTrue(all(p.returncode == 0 for p in starts if p is not running[0]))
        app.process = running[0]
        self.assertEqual(app.exit(), 0)
        paths = self.saved_paths(app)
        self.assertEqual(sorted(paths), sorted(app.windows_path(f) for f in files))
        self.assertLess(ended_after, 3.0, "the hand-overs ended %.1f s after the main dialog appeared" % ended_after)

    def test_simultaneous_starts_with_no_copy_running(self):
        for repeat in range(REPEATS):
            for count in (6, 12):
                with self.subTest(count=count, repeat=repeat):
                    self.simultaneous_first_starts(count, seed=repeat)

    def test_simultaneous_second_starts_with_a_copy_running(self):
        for repeat in range(REPEATS):
            with self.subTest(repeat=repeat):
                app = self.melodek("second_starts_%d" % repeat)
                try:
                    self.twelve_second_starts(app)
                finally:
                    app.kill()  # nothing is left for the next case

    def twelve_second_starts(self, app):
        files = self.tones(app, [2000 + 10 * i for i in range(12)])
        app.start()
        # What twelve Windows programs started at once cost on this machine
        # right now, whatever they do: the yardstick for the hand-overs.
        launched = time.monotonic()
        bare = [subprocess.Popen(["wine", os.path.join(TOOLS_DIR, "probe.exe"), "count-windows"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) for _ in files]
        for process in bare:
            process.wait(timeout=60)
        yardstick = time.monotonic() - launched
        launched = time.monotonic()
        starts = [app.launch(app.windows_path(f)) for f in files]
        self.addCleanup(lambda: [p.kill() for p in starts if p.poll() is None])
        # A hand-over ends only once the running copy took its files.
        self.assertTrue(wait_for(lambda: all(p.poll() is not None for p in starts), timeout=20, interval=0.02))
        took = time.monotonic() - launched
        self.assertTrue(all(p.returncode == 0 for p in starts))
        self.assertEqual(app.exit(), 0)
        self.assertEqual(sorted(self.saved_paths(app)), sorted(app.windows_path(f) for f in files))
        # 2 s on a machine with time to spare; on a loaded one what twelve
        # starts of a small Windows program take, scaled for melodek.exe's
        # larger set of libraries. (When they still waited on each other,
        # they took 7 to 16 s where twelve bare starts took about 2.6 s.)
        bound = max(2.0, 2.5 * yardstick)
        print("twelve hand-overs: %.2f s; twelve bare starts: %.2f s" % (took, yardstick))
        self.assertLess(took, bound, "the twelve hand-overs took %.1f s, twelve bare starts %.1f s"
                        % (took, yardstick))

    def test_a_start_while_the_running_copy_ends_plays_its_file(self):
        app = self.melodek()
        (a,) = self.tones(app, (3000,), frames=44100 * 20)
        # A start launched a little before Exit is chosen, at the same
        # moment, and right after: its Windows process reaches the running
        # copy while that copy runs, while it ends, or after it ended. Either
        # the copy took the file before Exit (it is in its saved list), or
        # the start became the next copy and plays it; never lost.
        for i, launch_before_exit in enumerate((0.6, 0.3, 0.0, -0.1)):
            with self.subTest(launch_before_exit=launch_before_exit):
                (b,) = self.tones(app, (3100 + 10 * i,), frames=44100 * 20)
                if app.process is None or app.process.poll() is not None:
                    app.start(app.windows_path(a))
                    self.assertTrue(wait_for(lambda: 3000 in played_levels(app.captured_frames())))
                old = app.process
                if launch_before_exit > 0:
                    new = app.launch(app.windows_path(b))
                    time.sleep(launch_before_exit)
                    probe("command", EXIT)
                else:
                    probe("command", EXIT)
                    time.sleep(-launch_before_exit)
                    new = app.launch(app.windows_path(b))
                self.assertEqual(old.wait(timeout=30), 0)
                app.process = new
                wait_for(lambda: new.poll() is not None or probe("main-window")[0] == 0, timeout=30)
                if new.poll() is None:
                    app.wait_window(lambda: 3100 + 10 * i in played_levels(app.captured_frames()),
                                    "the file of a start at Exit did not play")
                    self.assertEqual(app.exit(), 0)
                    self.assertEqual(self.saved_paths(app)[0], app.windows_path(b))
                else:
                    self.assertEqual(new.returncode, 0)  # handed over before Exit
                    self.assertIn(app.windows_path(b), self.saved_paths(app))

    def test_a_copy_that_does_not_answer_is_reported_with_the_files(self):
        app = self.melodek()
        (a,) = self.tones(app, (3200,))
        # A copy that holds the name and never answers.
        holder = hold_name(self, app, "melodek", 60000)
        started = time.monotonic()
        app.process = app.launch(app.windows_path(a))
        app.wait_window(lambda: probe("visible", "Melodek")[0] == 0, "no message that Melodek does not answer",
                        timeout=40)
        self.assertGreaterEqual(time.monotonic() - started, 9.0)  # it tried for the whole bound first
        code, texts = probe("child-texts", "Melodek")
        self.assertIn("does not answer", texts)
        self.assertIn(app.windows_path(a), texts)
        probe("send-keys", 0, 0x0D)  # Enter closes the message
        self.assertEqual(app.process.wait(timeout=20), 0)
        holder.kill()

    def test_add_appends_in_order_while_the_first_file_keeps_playing(self):
        app = self.melodek()
        # 60 s of sound: about 15 s through the capture device, long enough
        # to outlast the three starts on a busy machine.
        (a,) = self.tones(app, (4000,), frames=44100 * 60)
        b, c, d = self.tones(app, (4100, 4200, 4300))
        app.start(app.windows_path(a))
        self.assertTrue(wait_for(lambda: 4000 in played_levels(app.captured_frames())))
        # What the shell does for three selected files: the verb's command
        # line once per file, one right after the other.
        code, _ = probe("start-each", app.windows_path(app.exe), "/add", *[app.windows_path(f) for f in (b, c, d)],
                        timeout=60)
        self.assertEqual(code, 0)
        time.sleep(1.0)  # an interruption would show in the capture by now
        # Still the first opening of the sound device, and nothing but the
        # first file in it: its sound was never stopped or restarted.
        self.assertEqual(len(app.capture_paths()), 1)
        self.assertEqual(level_runs(without_gaps(app.captured_frames())), [4000])
        self.assertEqual(app.exit(), 0)
        self.assertEqual(self.saved_paths(app), [app.windows_path(f) for f in (a, b, c, d)])

    def test_add_plays_when_nothing_plays_and_a_first_start_with_add_appends(self):
        app = self.melodek()
        a, b, c = self.tones(app, (5000, 5100, 5200))
        # A first start with /add: nothing plays at a start, so the first
        # file it adds plays; the list it had keeps its place.
        app.start(app.windows_path(a))
        self.assertTrue(wait_for(lambda: 5000 in played_levels(app.captured_frames())))
        self.assertEqual(app.exit(), 0)
        app.start("/add", app.windows_path(b))
        self.assertTrue(wait_for(lambda: 5100 in played_levels(app.captured_frames())))
        self.assertEqual(app.exit(), 0)
        self.assertEqual(self.saved_paths(app), [app.windows_path(f) for f in (a, b)])
        # Stopped: a second start with /add plays what it added.
        app.start()
        app.command(STOP)
        time.sleep(0.5)
        self.assertEqual(app.launch("/add", app.windows_path(c)).wait(timeout=30), 0)
        self.assertTrue(wait_for(lambda: 5200 in played_levels(app.captured_frames())))
        self.assertEqual(app.exit(), 0)
        self.assertEqual(self.saved_paths(app), [app.windows_path(f) for f in (a, b, c)])


def hold_name(test, app, name, ms):
    """The probe holding the program's single-instance name for `ms`."""
    out = open(os.path.join(app.folder, "holder.txt"), "wb")
    holder = subprocess.Popen(["wine", os.path.join(TOOLS_DIR, "probe.exe"), "hold-name", name, str(ms)],
                              stdout=out, stderr=subprocess.DEVNULL)
    test.addCleanup(lambda: (holder.poll() is None and holder.kill(), holder.wait(), out.close()))
    test.assertTrue(wait_for(lambda: b"held" in read_bytes(out.name), timeout=30))
    return holder


if __name__ == "__main__":
    unittest.main()
