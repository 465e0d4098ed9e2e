"""Gapless playback through the real program: files cut from one signal
play back as that signal, sample for sample, through in_wave, in_mf (FLAC,
MP3 encoded as a gapless set) and a plug-in that ends the classic way; a
file's own volume and equalizer preset start at its first sample; commands
during the queued file's lead-in act on the file heard; the Controller
follows the file the device plays."""
import array
import math
import os
import random
import shutil
import subprocess
import unittest

from melodek_e2e import (BUILD, MelodekTestCase, probe, read_bytes, settings_bytes, wait_for, window_when_made,
                         without_gaps, write_bytes)

RATE = 44100
CTRL_WIN = 0x2 | 0x8
VK_B, VK_V, VK_F4 = 0x42, 0x56, 0x73
SEEK = 1021
OCTAVE_BINS = [f * 0.18575963718820862 for f in (31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000)]
BUFFER_FRAMES = 8192  # one output buffer


def sweep(frames, seed=1, rate=RATE):
    """A rising sweep with a little noise, different on each channel: no
    silent frame, and no two neighbouring samples equal."""
    rng = random.Random(seed)
    out = []
    phase = 0.0
    previous = (None, None)
    for i in range(frames):
        phase += 2 * math.pi * (60 + 6000 * i / frames) / rate
        left = int(9000 * math.sin(phase)) + rng.randint(-150, 150)
        right = int(7000 * math.cos(1.5 * phase)) + rng.randint(-150, 150) + 1
        left += left == previous[0] or left == 0
        right += right == previous[1] or right == 0
        previous = (left, right)
        out.append((left, right))
    return out


def wav_bytes(frames, rate=RATE):
    data = array.array("h", [s for frame in frames for s in frame]).tobytes()
    return (b"RIFF" + (36 + len(data)).to_bytes(4, "little") + b"WAVEfmt " + (16).to_bytes(4, "little") +
            (1).to_bytes(2, "little") + (2).to_bytes(2, "little") + rate.to_bytes(4, "little") +
            (rate * 4).to_bytes(4, "little") + (4).to_bytes(2, "little") + (16).to_bytes(2, "little") +
            b"data" + len(data).to_bytes(4, "little") + data)


def cut(app, frames, points, stem="part"):
    """WAV files of the signal cut at the given frames."""
    bounds = [0, *points, len(frames)]
    paths = []
    for n in range(len(bounds) - 1):
        path = os.path.join(app.folder, "%s%d.wav" % (stem, n + 1))
        write_bytes(path, wav_bytes(frames[bounds[n]:bounds[n + 1]]))
        paths.append(path)
    return paths


def gapless_record(on):
    """The settings block's "gapless" record, after its mark."""
    return b"MLDK.EXT" + bytes([7]) + b"gapless" + (4).to_bytes(4, "little") + int(on).to_bytes(4, "little")


def find(haystack, needle, start=0):
    """Index of the first frames of `needle` in `haystack`, or -1."""
    head = needle[:32]
    for i in range(start, len(haystack) - len(head) + 1):
        if haystack[i] == head[0] and haystack[i:i + len(head)] == head:
            return i
    return -1


def settled(app):
    """Waits until the capture stops growing; returns its length in frames."""
    lengths = [-1]

    def still():
        lengths.append(len(app.captured_frames()))
        return lengths[-1] == lengths[-2]
    wait_for(still, timeout=20, interval=0.5)
    return lengths[-1]


def largest_step(frames):
    return max(max(abs(a[0] - b[0]), abs(a[1] - b[1])) for a, b in zip(frames, frames[1:]))


def snr_db(reference, decoded):
    signal = sum(l * l + r * r for l, r in reference)
    noise = sum((l - dl) ** 2 + (r - dr) ** 2 for (l, r), (dl, dr) in zip(reference, decoded))
    return 10 * math.log10(signal / max(noise, 1))


class Gapless(MelodekTestCase):
    def play_list(self, app, paths, played_frames, settings=None, timeout=90):
        """Starts the program with the files and waits until that much played."""
        if settings is not None:
            write_bytes(os.path.join(app.folder, "melodek.mlcfg"), settings)
            app.start()
            app.command(32773)  # Play
        else:
            app.start(*[app.windows_path(p) for p in paths])
        self.assertTrue(wait_for(lambda: len(app.captured_frames()) > played_frames, timeout=timeout))

    def assert_plays_as(self, captured, expected):
        """The capture holds `expected` from its first frame on, exactly."""
        sounding = without_gaps(captured)
        at = find(sounding, expected)
        self.assertGreaterEqual(at, 0, "the signal's start is not in the capture")
        played = sounding[at:at + len(expected)]
        if played != expected:
            first = next(i for i, (a, b) in enumerate(zip(played, expected)) if a != b)
            self.fail("sample %d of %d differs: played %s, signal %s" % (
                first, len(expected), played[first:first + 4], expected[first:first + 4]))

    def test_cut_signal_plays_back_sample_for_sample(self):
        # Cuts at no multiple of 576, 1024 or the output buffer's 8192 frames.
        frames = sweep(200000)
        points = [61237, 137111]
        app = self.melodek("wav")
        paths = cut(app, frames, points)
        self.play_list(app, paths, 2 * len(frames) + 20000)
        self.assertEqual(app.exit(), 0)
        # One list played twice round: the join from the last file back to
        # the first is seamless too.
        self.assert_plays_as(app.captured_frames(), frames + frames)

        # FLAC through in_mf: bit-exact across the joins as well.
        app = self.melodek("flac")
        flacs = []
        for path in cut(app, frames, points):
            subprocess.run(["flac", "-s", "-f", "-o", path[:-4] + ".flac", path], check=True)
            flacs.append(path[:-4] + ".flac")
        self.play_list(app, flacs, len(frames) + 20000)
        self.assertEqual(app.exit(), 0)
        self.assert_plays_as(app.captured_frames(), frames)

    def test_mp3_gapless_set_joins_within_the_codecs_error(self):
        frames = sweep(180000, seed=2)
        points = [50021, 123457]
        app = self.melodek("mp3")
        wavs = cut(app, frames, points)
        subprocess.run(["lame", "--quiet", "--nogap", "-b", "192", *wavs], check=True)
        whole = os.path.join(app.folder, "whole.wav")
        write_bytes(whole, wav_bytes(frames))
        subprocess.run(["lame", "--quiet", "-b", "192", whole], check=True)
        decoded = subprocess.run(["ffmpeg", "-v", "quiet", "-i", whole[:-4] + ".mp3", "-f", "s16le", "-"],
                                 stdout=subprocess.PIPE, check=True).stdout
        samples = array.array("h", decoded)
        uncut = list(zip(samples[0::2], samples[1::2]))[:len(frames)]
        self.play_list(app, [w[:-4] + ".mp3" for w in wavs], 2 * len(frames) + 20000)
        self.assertEqual(app.exit(), 0)
        # Lossy: align on the signal (a misplaced sample falls far below
        # 20 dB), then compare each join with the uncut encode's error there.
        sounding = without_gaps(app.captured_frames())

        def signal_start(after):
            return max(range(after, after + 3000), key=lambda k: -sum(
                abs(a[0] - b[0]) for a, b in zip(sounding[k:k + 2000:7], frames[:2000:7])))
        start = signal_start(0)
        played = sounding[start:start + len(frames)]
        print("the whole set: %.1f dB (uncut encode %.1f dB)" % (snr_db(frames, played), snr_db(frames, uncut)))
        self.assertGreater(snr_db(frames, played), 20)
        # The first frame of each file too, where a decoder that starts on
        # the file alone is a few dB off the signal. lame moves a cut's last
        # samples into the next file's first frame: the files join where the
        # decodes of the ones before end, less the encoder's and decoder's
        # delay that no header says to trim.
        lengths = [len(subprocess.run(["ffmpeg", "-v", "quiet", "-i", w[:-4] + ".mp3", "-f", "s16le", "-"],
                                      stdout=subprocess.PIPE, check=True).stdout) // 4 for w in wavs]
        joins = [sum(lengths[:n]) - (576 + 529) for n in range(1, len(wavs))]
        windows = [slice(point - 4096, point + 4096) for point in points] + [slice(j, j + 1152) for j in joins]
        for window in windows:
            ours, codec = snr_db(frames[window], played[window]), snr_db(frames[window], uncut[window])
            print("frames %d to %d: %.1f dB (uncut encode %.1f dB)" % (window.start, window.stop, ours, codec))
            self.assertGreater(ours, codec - 3, "frames %d to %d: %.1f dB against the uncut encode's %.1f dB" % (
                window.start, window.stop, ours, codec))
        # The list plays round again. No header says what to trim, so the
        # last file's padding and the first file's delay lie between the two
        # times through (less than two frames): the second is found as the
        # first was.
        again_start = signal_start(start + len(frames))
        self.assertLess(again_start - start - len(frames), 2 * 1152)
        again = sounding[again_start:again_start + len(frames)]
        self.assertGreater(snr_db(frames, again), 20)

    def test_plugin_ending_the_classic_way_joins(self):
        # The scripted plug-in waits for IsPlaying to answer 0 and then posts
        # its end message, as classic plug-ins do; the last file only posts
        # the message, never asking IsPlaying.
        app = self.melodek("classic")
        shutil.copy(os.path.join(BUILD, "testplugins", "in_mtest.dll"), os.path.join(app.folder, "Plugins"))
        lengths = [30011, 20011, 10007]
        paths = []
        for n, length in enumerate(lengths):
            path = os.path.join(app.folder, "p%d.mtest" % n)
            extra = "no_isplaying\n" if n == 2 else ""
            write_bytes(path, ("frames=%d\npattern=ramp\nblock=1000\n%s" % (length, extra)).encode())
            paths.append(path)
        self.play_list(app, paths, sum(lengths) + 30000)
        self.assertEqual(app.exit(), 0)
        # The ramp (its level counts the samples) restarts with every file:
        # the capture is the three ramps back to back.
        def level(k):
            return (k & 0xFFFF) - 0x10000 * ((k & 0xFFFF) >= 0x8000)
        expected = [(level(2 * f), level(2 * f + 1)) for length in lengths for f in range(length)]
        self.assert_plays_as(app.captured_frames(), expected)

    def test_a_files_volume_and_preset_start_at_its_first_sample(self):
        frames = sweep(150000, seed=3)
        point = 70001
        app = self.melodek("gains")
        first, second = cut(app, frames, [point])
        half = [(x, 0.5) for x in OCTAVE_BINS]
        settings = settings_bytes(
            lists=[("list", [(1, app.windows_path(first), 0, 0), (2, app.windows_path(second), -50, 0)])],
            presets=[(0, "Default", 0, [])], sel_file_id=1)
        self.play_list(app, None, len(frames) + 20000, settings)
        self.assertEqual(app.exit(), 0)
        # -50 % is 3/4 of the signal (file gain -8192 of 32768): from exactly
        # the first sample of the second file.
        scaled = [(l * 12288 >> 14, r * 12288 >> 14) for l, r in frames[point:]]
        self.assert_plays_as(app.captured_frames(), frames[:point] + scaled)

        # A preset on the second file: its -6 dB lands within one filter block
        # of the join, and the stream steps no more than the signal itself.
        app = self.melodek("preset")
        first, second = cut(app, frames, [point])
        settings = settings_bytes(
            lists=[("list", [(1, app.windows_path(first), 0, 0), (2, app.windows_path(second), 0, 5)])],
            presets=[(0, "Default", 0, []), (5, "half", 3, half)], sel_file_id=1)
        self.play_list(app, None, len(frames) + 20000, settings)
        self.assertEqual(app.exit(), 0)
        sounding = without_gaps(app.captured_frames())
        at = find(sounding, frames)
        played = sounding[at:at + len(frames)]
        self.assertEqual(played[:point - 8064], frames[:point - 8064])
        block = 8192
        for i in range(point + block, len(frames) - 8064):  # the list's next file: no preset
            for c in (0, 1):
                self.assertLessEqual(abs(played[i][c] - frames[i][c] / 2), 3, "frame %d" % i)
        self.assertLessEqual(largest_step(played[point - 2 * block:point + 2 * block]),
                             largest_step(frames[point - 2 * block:point + 2 * block]))

    def test_commands_act_on_the_file_heard(self):
        frames = sweep(400000, seed=4)
        points = [300007]
        # Next during the last seconds of the first file (the second is
        # queued five seconds before the end): the queued second file plays
        # from its start (it was not heard yet), then the third.
        app = self.melodek("next")
        a, b = cut(app, frames, points)
        c = os.path.join(app.folder, "c.wav")
        tail = sweep(30000, seed=5)
        write_bytes(c, wav_bytes(tail))
        app.start(*map(app.windows_path, (a, b, c)))
        # Under load the key can take seconds to act: sent with 4.5 s of the
        # first file left (the second is queued from 5 s on).
        self.assertTrue(wait_for(lambda: len(app.captured_frames()) > points[0] - 4.5 * RATE, timeout=60))
        probe("send-keys", CTRL_WIN, VK_B)  # the Next hot key
        self.assertTrue(wait_for(lambda: len(app.captured_frames()) > points[0] + 200000, timeout=60))
        self.assertEqual(app.exit(), 0)
        sounding = without_gaps(app.captured_frames())
        at = find(sounding, frames[points[0]:])
        self.assertGreater(at, 0)
        self.assertLess(at, points[0])  # the first file was cut short
        second = frames[points[0]:]
        self.assertEqual(sounding[at:at + len(second) + len(tail)], second + tail)
        # The first file fades out where it was cut: no click.
        self.assertLessEqual(largest_step(sounding[at - 2000:at]), largest_step(frames))

        # Stop while the next file is queued: nothing of it plays, and Play
        # starts the first file again (no plug-in thread left behind).
        app = self.melodek("stop")
        a, b = cut(app, frames, points)
        app.start(app.windows_path(a), app.windows_path(b))
        self.assertTrue(wait_for(lambda: len(app.captured_frames()) > points[0] - 3 * RATE, timeout=60))
        probe("send-keys", CTRL_WIN, VK_V)  # Stop
        stopped = settled(app)
        self.assertEqual(find(without_gaps(app.captured_frames()), frames[points[0]:]), -1)
        app.command(32773)  # Play
        self.assertTrue(wait_for(lambda: len(app.captured_frames()) > stopped + RATE, timeout=30))
        self.assertEqual(app.exit(), 0)
        self.assertGreaterEqual(find(without_gaps(app.captured_frames()), frames, start=1), 1)

        # A seek back into the first file after the second was queued: the
        # first file plays from there, then the second joins it again.
        app = self.melodek("seek")
        a, b = cut(app, frames, points)
        app.start(app.windows_path(a), app.windows_path(b))
        probe("send-keys", CTRL_WIN, VK_F4)  # the Controller
        window = window_when_made("controller")
        self.assertTrue(wait_for(lambda: len(app.captured_frames()) > points[0] - 3 * RATE, timeout=60))
        # A click on the seek slider's channel left of the thumb pages back
        # (30 s): to the start of the file heard.
        probe("click", *self.slider_centre(window))
        self.assertTrue(wait_for(lambda: len(app.captured_frames()) > 2 * len(frames), timeout=90))
        self.assertEqual(app.exit(), 0)
        # (The slider may seek twice, to the same place: the file plays from
        # its start once more, then on into the second file.)
        sounding = without_gaps(app.captured_frames())
        starts = []
        while not starts or starts[-1] >= 0:
            starts.append(find(sounding, frames, start=starts[-1] + 1 if starts else 1000))
        self.assertGreater(len(starts), 1, "the first file did not start again")
        self.assertTrue(any(sounding[at:at + len(frames)] == frames for at in starts[:-1]))

    def slider_centre(self, window):
        left, top, right, bottom = map(int, probe("control-rect", window, SEEK)[1].split())
        return (left + right) // 2, (top + bottom) // 2

    def test_where_a_join_cannot_be_gapless(self):
        # A 48 kHz file after a 44.1 kHz one: the device reopens at the new
        # rate (a capture file each), both files whole.
        frames = sweep(60000, seed=6)
        app = self.melodek("rates")
        first = os.path.join(app.folder, "r44.wav")
        second = os.path.join(app.folder, "r48.wav")
        write_bytes(first, wav_bytes(frames))
        write_bytes(second, wav_bytes(frames, rate=48000))
        app.start(app.windows_path(first), app.windows_path(second))
        self.assertTrue(wait_for(lambda: len(app.capture_paths()) >= 3, timeout=60))
        self.assertEqual(app.exit(), 0)
        for path in app.capture_paths()[:2]:
            data = array.array("h", read_bytes(path))
            self.assert_plays_as(list(zip(data[0::2], data[1::2])), frames)

        # One file on Repeat ("One Repeat"): a seamless loop.
        app = self.melodek("loop")
        (single,) = cut(app, frames, [])
        settings = settings_bytes(lists=[("one", [(1, app.windows_path(single), 0, 0)])],
                                  presets=[(0, "Default", 0, [])], sel_file_id=1, play_mode=4)
        self.play_list(app, None, 3 * len(frames) + 10000, settings)
        self.assertEqual(app.exit(), 0)
        self.assert_plays_as(app.captured_frames(), frames * 3)

        # Shuffle over four files: whole files, back to back, each once a round.
        app = self.melodek("shuffle")
        parts = [sweep(9000 + 1000 * n, seed=10 + n) for n in range(4)]
        paths = []
        for n, part in enumerate(parts):
            paths.append(os.path.join(app.folder, "s%d.wav" % n))
            write_bytes(paths[-1], wav_bytes(part))
        settings = settings_bytes(lists=[("four", [(n + 1, app.windows_path(p), 0, 0) for n, p in enumerate(paths)])],
                                  presets=[(0, "Default", 0, [])], sel_file_id=1, play_mode=2)
        self.play_list(app, None, 2 * sum(map(len, parts)) + 30000, settings)
        self.assertEqual(app.exit(), 0)
        sounding = without_gaps(app.captured_frames())
        at = find(sounding, parts[0])
        order = []
        while len(order) < 8:
            match = [n for n, part in enumerate(parts) if sounding[at:at + len(part)] == part]
            self.assertEqual(len(match), 1, "no whole file at frame %d after %s" % (at, order))
            order.append(match[0])
            at += len(parts[match[0]])
        self.assertEqual(sorted(order[:4]), [0, 1, 2, 3])
        self.assertEqual(sorted(order[4:]), [0, 1, 2, 3])

        # Gapless playback off: the first file drains to the end of its last
        # buffer (zero padding) before the second one starts.
        app = self.melodek("off")
        first, second = cut(app, frames, [30011])
        settings = settings_bytes(lists=[("l", [(1, app.windows_path(first), 0, 0),
                                                (2, app.windows_path(second), 0, 0)])],
                                  presets=[(0, "Default", 0, [])], sel_file_id=1) + gapless_record(False)
        self.play_list(app, None, len(frames) + 10000, settings)
        self.assertEqual(app.exit(), 0)
        captured = app.captured_frames()
        end = find(captured, frames[30011 - 32:]) + 32
        self.assertGreater(end, 32)
        gap = find(captured, frames[30011:], start=end) - end
        self.assertGreaterEqual(gap, BUFFER_FRAMES - 30011 % BUFFER_FRAMES)

    def test_the_controller_follows_the_file_the_device_plays(self):
        app = self.melodek("caption")
        frames = sweep(20000, seed=7)
        first = os.path.join(app.folder, "first.wav")
        second = os.path.join(app.folder, "second.wav")
        long_first = frames * 30  # 13.6 s: the second is queued long before it is heard
        write_bytes(first, wav_bytes(long_first))
        write_bytes(second, wav_bytes(frames * 10))
        app.start(app.windows_path(first), app.windows_path(second))
        probe("send-keys", CTRL_WIN, VK_F4)
        window = window_when_made("controller")
        caption = lambda: probe("window-info", window)[1].partition("\n")[2].strip()
        self.assertTrue(wait_for(lambda: caption() == "first", timeout=30))
        # While the first file plays on, its caption stays, though the second
        # is queued behind it for seconds.
        played = lambda: sum(os.path.getsize(p) for p in app.capture_paths()) // 4
        # Each look at the caption takes a while under load: up to two
        # seconds' slack after the switch.
        while caption() != "second":
            self.assertLess(played(), len(long_first) + 2 * RATE, "the caption never switched")
        switched = played()
        # It switched when the second file's first sample reached the device:
        # not before the buffer holding it, and not long after (polling).
        self.assertGreater(switched, len(long_first) - 2 * BUFFER_FRAMES)
        self.assertLess(switched, len(long_first) + 2 * RATE)
        self.assertEqual(app.exit(), 0)


if __name__ == "__main__":
    unittest.main()
