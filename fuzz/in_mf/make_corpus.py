#!/usr/bin/env python3
"""Writes the seed corpora of in_mf.dll's fuzz targets from real files: a
short sound made by sox, encoded with tags by lame (MP3: ID3v2.3, ID3v2.4,
UTF-16 text, ID3v1, the LAME gapless header), flac (Vorbis comments), and
ffmpeg (M4A, WMA, ID3v2 written by another tool), cut to the fuzzers' 8 KiB
input limit where they are longer. A few hand-made layouts no tool writes
(ID3v2.2, tag-wide unsynchronisation, an ID3v2 tag before FLAC) follow,
then M4A files with an edit list, iTunSMPB (written by
tests/in_mf/add_itunsmpb.py), both, and both disagreeing, and pairs of MP3
files from gapless sets (lame --nogap) and pairs that are none.

File names say what the replay test expects of a seed:
  tagged_*   title "Seed Title", artist "Seed Artist"
  unicode_*  title "S\u00e9ed \u266a Title", artist "Seed Artist"
  gain_*     album "Seed Album" and the ReplayGain values of GAINS
  r128_*     an R128_TRACK_GAIN of -2304 (read as "-4.00 dB")
  real_<start>_<length>_*  (mp4_gapless) the real samples lie there
  plain_*    no tags (tag readers), nothing to trim (mp4_gapless)
  carry_<n>_*  (mp3_carry) the previous file's last n frames are carried
  none_*     (mp3_carry) nothing is carried
  (others)   only what the fuzz entries check for any input; crash inputs
             the fuzzers found are kept as found_* beside the seeds (this
             script leaves them alone).

Usage: /usr/bin/python3 make_corpus.py [corpus folder]   (default: corpus/
beside this script; the system Python, which has Debian's mutagen)
Tools: sox, lame, flac, ffmpeg, and Python's mutagen with its mid3v2 (for
the ReplayGain seeds; scripts/setup.sh installs them all).
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

TITLE = "Seed Title"
ARTIST = "Seed Artist"
UNICODE_TITLE = "S\u00e9ed \u266a Title"
MAX_LEN = 8192
ALBUM = "Seed Album"
GAINS = {"REPLAYGAIN_TRACK_GAIN": "-7.25 dB", "REPLAYGAIN_TRACK_PEAK": "0.988525",
         "REPLAYGAIN_ALBUM_GAIN": "-6.50 dB", "REPLAYGAIN_ALBUM_PEAK": "1.000000"}


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3_tag_size(data):
    s = data[6:10]
    return 10 + ((s[0] << 21) | (s[1] << 14) | (s[2] << 7) | s[3])


def id3v22(title, artist):
    def frame(fid, text):
        body = b"\x00" + text.encode("latin-1")
        return fid + struct.pack(">I", len(body))[1:] + body
    body = frame(b"TT2", title) + frame(b"TP1", artist) + bytes(32)
    return b"ID3\x02\x00\x00" + synchsafe(len(body)) + body


def id3v23_unsync(title, artist):
    # Text holding 0xFF bytes, unsynchronised over the whole tag.
    def frame(fid, text):
        body = b"\x01\xff\xfe" + text.encode("utf-16-le")
        return fid + struct.pack(">I", len(body)) + b"\x00\x00" + body
    raw = frame(b"TIT2", title) + frame(b"TPE1", artist) + bytes(16)
    out = bytearray()
    for i, b in enumerate(raw):
        out.append(b)
        if b == 0xFF and (i + 1 == len(raw) or raw[i + 1] == 0 or raw[i + 1] >= 0xE0):
            out.append(0)
    return b"ID3\x03\x00\x80" + synchsafe(len(out)) + bytes(out)


def make(tmp):
    wav = os.path.join(tmp, "s.wav")
    run("sox", "-R", "-n", "-r", "8000", "-b", "16", "-c", "1", wav, "synth", "0.3", "sine", "440", "gain", "-6")
    wav44 = os.path.join(tmp, "s44.wav")
    run("sox", "-R", "-n", "-r", "44100", "-b", "16", "-c", "2", wav44, "synth", "0.2", "sine", "440", "gain", "-6")

    def out(name):
        return os.path.join(tmp, name)

    def lame(name, *opts, source=wav):
        run("lame", "--quiet", *opts, source, out(name))
        return read(out(name))

    def ffmpeg(name, *opts):
        run("ffmpeg", "-v", "error", "-y", "-i", wav, *opts, out(name))
        return read(out(name))

    def flac(name, *opts):
        run("flac", "-s", "-f", "--no-padding", *opts, wav, "-o", out(name))
        return read(out(name))

    tags = ["--tt", TITLE, "--ta", ARTIST]
    seeds = {}
    head = lambda data: data[:MAX_LEN]
    tail = lambda data: data[-MAX_LEN:]

    # ID3v2 as lame and ffmpeg write it.
    seeds["id3v2/tagged_lame_v23.mp3"] = head(lame("v23.mp3", "-b", "8", "--id3v2-only", *tags))
    seeds["id3v2/unicode_lame_utf16.mp3"] = head(
        lame("u16.mp3", "-b", "8", "--id3v2-only", "--id3v2-utf16", "--tt", UNICODE_TITLE, "--ta", ARTIST))
    meta = ["-metadata", "title=" + TITLE, "-metadata", "artist=" + ARTIST]
    umeta = ["-metadata", "title=" + UNICODE_TITLE, "-metadata", "artist=" + ARTIST]
    seeds["id3v2/tagged_ffmpeg_v24.mp3"] = head(ffmpeg("f24.mp3", "-c:a", "libmp3lame", "-b:a", "8k", *meta))
    seeds["id3v2/unicode_ffmpeg_v23.mp3"] = head(
        ffmpeg("f23.mp3", "-c:a", "libmp3lame", "-b:a", "8k", "-id3v2_version", "3", *umeta))
    untagged = lame("plain.mp3", "-b", "8")
    seeds["id3v2/plain_lame.mp3"] = head(untagged)
    seeds["id3v2/tagged_v22_made.mp3"] = head(id3v22(TITLE, ARTIST) + untagged)
    seeds["id3v2/tagged_v23_unsync_made.mp3"] = head(id3v23_unsync(TITLE, ARTIST) + untagged)

    # ID3v1 at the end of the file.
    v1 = lame("v1.mp3", "-b", "8", "--id3v1-only", *tags)
    seeds["id3v1/tagged_lame_v1.mp3"] = tail(v1)
    both = lame("both.mp3", "-b", "8", "--add-id3v2", "--tt", TITLE, "--ta", ARTIST)
    seeds["id3v1/tagged_lame_v1_and_v2.mp3"] = tail(both)
    seeds["id3v1/plain_lame.mp3"] = tail(untagged)

    # MP4 with the metadata before and after the sound.
    seeds["mp4_tags/tagged_ffmpeg_faststart.m4a"] = head(
        ffmpeg("fs.m4a", "-c:a", "aac", "-b:a", "16k", "-movflags", "+faststart", *meta))
    seeds["mp4_tags/unicode_ffmpeg.m4a"] = head(ffmpeg("u.m4a", "-c:a", "aac", "-b:a", "16k", *umeta))
    seeds["mp4_tags/plain_ffmpeg.m4a"] = head(ffmpeg("p.m4a", "-c:a", "aac", "-b:a", "16k"))

    # ASF (WMA): the header object holds the content description.
    seeds["asf_tags/tagged_ffmpeg.wma"] = head(ffmpeg("t.wma", "-c:a", "wmav2", "-b:a", "32k", *meta))
    seeds["asf_tags/unicode_ffmpeg.wma"] = head(ffmpeg("u.wma", "-c:a", "wmav2", "-b:a", "32k", *umeta))
    seeds["asf_tags/plain_ffmpeg.wma"] = head(ffmpeg("p.wma", "-c:a", "wmav1", "-b:a", "32k"))

    # FLAC as flac and ffmpeg write it, and behind an ID3v2 tag.
    tagged_flac = flac("t.flac", "-T", "TITLE=" + TITLE, "-T", "ARTIST=" + ARTIST)
    seeds["flac_comments/tagged_flac.flac"] = head(tagged_flac)
    seeds["flac_comments/unicode_flac.flac"] = head(
        flac("u.flac", "-T", "TITLE=" + UNICODE_TITLE, "-T", "ARTIST=" + ARTIST))
    seeds["flac_comments/tagged_ffmpeg.flac"] = head(ffmpeg("f.flac", "-c:a", "flac", *meta))
    seeds["flac_comments/plain_flac.flac"] = head(flac("p.flac"))
    id3 = read(out("v23.mp3"))
    seeds["flac_comments/tagged_after_id3v2.flac"] = head(id3[:id3_tag_size(id3)] + tagged_flac)

    # ReplayGain values as tag tools write them: ID3v2 TXXX frames (mid3v2,
    # lower-case descriptions), Vorbis comments (metaflac), MP4 freeform items
    # and ASF attributes (mutagen).
    import mutagen.asf
    import mutagen.mp4
    shutil.copy(out("plain.mp3"), out("g.mp3"))
    run("mid3v2", "--TALB", ALBUM, *[a for k, v in GAINS.items() for a in ("--TXXX", "%s:%s" % (k.lower(), v))],
        out("g.mp3"))
    seeds["id3v2/gain_mid3v2.mp3"] = head(read(out("g.mp3")))
    shutil.copy(out("p.flac"), out("g.flac"))
    run("metaflac", "--set-tag=ALBUM=" + ALBUM, *["--set-tag=%s=%s" % kv for kv in GAINS.items()], out("g.flac"))
    seeds["flac_comments/gain_metaflac.flac"] = head(read(out("g.flac")))
    shutil.copy(out("p.flac"), out("r.flac"))
    run("metaflac", "--set-tag=R128_TRACK_GAIN=-2304", out("r.flac"))
    seeds["flac_comments/r128_metaflac.flac"] = head(read(out("r.flac")))
    shutil.copy(out("p.m4a"), out("g.m4a"))
    m4a = mutagen.mp4.MP4(out("g.m4a"))
    m4a["\xa9alb"] = ALBUM
    for k, v in GAINS.items():
        m4a["----:com.apple.iTunes:" + k.lower()] = mutagen.mp4.MP4FreeForm(v.encode())
    m4a.save()
    seeds["mp4_tags/gain_mutagen.m4a"] = head(read(out("g.m4a")))
    shutil.copy(out("p.wma"), out("g.wma"))
    wma = mutagen.asf.ASF(out("g.wma"))
    wma["WM/AlbumTitle"] = ALBUM
    for k, v in GAINS.items():
        wma[k.lower()] = v
    wma.save()
    seeds["asf_tags/gain_mutagen.wma"] = head(read(out("g.wma")))

    # The LAME header; the first 8 bytes are the length the decoder reports.
    for name, opts, source in (("mpeg1", ["-b", "32"], wav44), ("mpeg2", ["-b", "8"], wav),
                               ("vbr", ["-V", "5"], wav44)):
        data = lame("g_%s.mp3" % name, *opts, source=source)
        for frames in (0, 1, 4000, 9600, 13824):
            seeds["mp3_gapless/%s_%d.bin" % (name, frames)] = head(struct.pack("<q", frames) + data)
    seeds["mp3_gapless/id3v2_first.bin"] = head(struct.pack("<q", 2400) + read(out("v23.mp3")))

    # MP4 edit lists and iTunSMPB; the first 8 bytes are the length the
    # decoder reports. ffmpeg's AAC has 1024 samples of priming.
    tagger = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "in_mf", "add_itunsmpb.py")
    long8k = out("l.wav")
    run("sox", "-R", "-n", "-r", "8000", "-b", "16", "-c", "1", long8k, "synth", "0.5", "sine", "300-2000", "gain", "-6")
    for frames in (2400, 2501):
        cut = out("cut%d.wav" % frames)
        run("sox", "-R", long8k, cut, "trim", "0s", "%ds" % frames)
        aac = ["-i", cut, "-c:a", "aac", "-b:a", "16k"]
        run("ffmpeg", "-v", "error", "-y", *aac, out("e%d.m4a" % frames))
        run("ffmpeg", "-v", "error", "-y", *aac, "-movflags", "+faststart", out("f%d.m4a" % frames))
        run("ffmpeg", "-v", "error", "-y", *aac, "-use_editlist", "0", out("n%d.m4a" % frames))
        run("python3", tagger, out("n%d.m4a" % frames), out("e%d.m4a" % frames), str(frames), out("s%d.m4a" % frames))
        run("python3", tagger, out("e%d.m4a" % frames), out("e%d.m4a" % frames), str(frames), out("b%d.m4a" % frames))
        run("python3", tagger, out("e%d.m4a" % frames), out("e%d.m4a" % frames), str(frames - 100),
            out("d%d.m4a" % frames))
        media = frames + 1024
        for kind, name in (("e", "edit"), ("f", "edit_faststart"), ("s", "smpb"), ("b", "both"),
                           ("d", "disagree")):
            for reported in (0, frames, media):
                seeds["mp4_gapless/real_1024_%d_%s_%d.bin" % (frames, name, reported)] = head(
                    struct.pack("<q", reported) + read(out("%s%d.m4a" % (kind, frames))))
        seeds["mp4_gapless/plain_no_edit_%d.bin" % frames] = head(struct.pack("<q", media) + read(out("n%d.m4a" % frames)))

    # Pairs of MP3 files; the first 2 bytes are the previous file's length.
    # Sets cut at no frame boundary: MPEG-2 (lame resamples 32 kbit/s to
    # 16 kHz; 123 bytes of main data a frame: 3 for the reservoir, the last,
    # one more), MPEG-1 (173 bytes: 3 + 2) with and without tags, MPEG-2.5
    # (8 kHz, 59 bytes: the previous file's 2 frames are all of it).
    def pair(previous, next_file):
        return head(struct.pack("<H", len(previous)) + previous + next_file)

    def nogap(stem, source, cuts, *opts):
        bounds = [0, *cuts, None]
        names = []
        for n in range(len(bounds) - 1):
            part = out("%s%d.wav" % (stem, n))
            length = [] if bounds[n + 1] is None else ["%ds" % (bounds[n + 1] - bounds[n])]
            run("sox", "-R", source, part, "trim", "%ds" % bounds[n], *length)
            names.append(part)
        run("lame", "--quiet", "--nogap", *opts, *names)
        return [read(name[:-4] + ".mp3") for name in names]

    wav1s = out("s1.wav")
    run("sox", "-R", "-n", "-r", "44100", "-b", "16", "-c", "2", wav1s, "synth", "1", "sine", "300-3000", "sine",
        "2000-500", "gain", "-6")
    a, b, c = nogap("m2_", wav1s, [17000, 32001], "-b", "32")
    seeds["mp3_carry/carry_5_mpeg2_first.bin"] = pair(a, b)
    seeds["mp3_carry/carry_5_mpeg2_second.bin"] = pair(b, c)
    a1, b1 = nogap("m1_", wav1s, [13000], "-b", "64", "--resample", "44.1")
    seeds["mp3_carry/carry_5_mpeg1.bin"] = pair(a1, b1)
    a1t, b1t = nogap("m1t_", wav1s, [13000], "-b", "64", "--resample", "44.1", "--add-id3v2", "--tt", TITLE)
    seeds["mp3_carry/carry_5_mpeg1_tagged.bin"] = pair(a1t, b1t)
    a25, b25 = nogap("m25_", wav, [1801], "-b", "8")
    seeds["mp3_carry/carry_2_mpeg25_short.bin"] = pair(a25, b25)
    seeds["mp3_carry/none_info_frame_next.bin"] = pair(a1, lame("plain44.mp3", "-b", "64", source=wav44))
    seeds["mp3_carry/none_other_rate.bin"] = pair(a, b1)
    seeds["mp3_carry/none_not_mp3.bin"] = pair(a1, b"this is not a sound file\n" * 40)
    return seeds


def main():
    corpus = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    tmp = tempfile.mkdtemp()
    try:
        seeds = make(tmp)
    finally:
        shutil.rmtree(tmp)
    for name, data in sorted(seeds.items()):
        path = os.path.join(corpus, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    print("%d seeds in %s" % (len(seeds), corpus))


if __name__ == "__main__":
    main()
