#!/usr/bin/env python3
"""Writes the seed corpus of the in_wave header fuzzer: tiny WAV files, each
one layout the parser must accept (ok_*) or refuse (bad_*). The native tests
replay the same files and check each is accepted or refused as named.

Usage: make_seeds.py [output folder]   (default: corpus/ beside this script)
"""
import os
import struct
import sys

SUBTYPE_TAIL = bytes([0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                      0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71])


def chunk(cid, body):
    pad = b"\0" if len(body) % 2 else b""
    return cid + struct.pack("<I", len(body)) + body + pad


def fmt(tag=1, channels=2, rate=44100, bits=16, align=None, sub=None):
    if align is None:
        align = channels * ((bits + 7) // 8)
    body = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)
    if tag == 0xFFFE:
        body += struct.pack("<HHI", 22, bits, 0) + struct.pack("<H", sub) + SUBTYPE_TAIL
    return chunk(b"fmt ", body)


def data(payload, declared=None):
    size = len(payload) if declared is None else declared
    pad = b"\0" if len(payload) % 2 else b""
    return b"data" + struct.pack("<I", size) + payload + pad


def riff(*chunks, magic=b"RIFF"):
    body = b"WAVE" + b"".join(chunks)
    return magic + struct.pack("<I", len(body)) + body


def frames(count, frame_bytes):
    return bytes((i * 37 + 11) & 0xFF for i in range(count * frame_bytes))


def id3_tag(*frames):
    """An ID3v2.3 tag of text and user text frames (id, body) in Latin-1."""
    body = b"".join(fid + struct.pack(">IH", len(text) + 1, 0) + b"\0" + text for fid, text in frames)
    size = len(body)
    synchsafe = bytes([(size >> 21) & 0x7F, (size >> 14) & 0x7F, (size >> 7) & 0x7F, size & 0x7F])
    return b"ID3\x03\x00\x00" + synchsafe + body


def seeds():
    s16 = frames(8, 4)
    ds64 = chunk(b"ds64", struct.pack("<QQQI", 0xFFFFFFFF, 16, 4, 0))
    yield "ok_pcm16_stereo", riff(fmt(), data(s16))
    yield "ok_pcm8_mono", riff(fmt(channels=1, rate=22050, bits=8), data(frames(9, 1)))
    yield "ok_pcm24_stereo", riff(fmt(bits=24, rate=96000), data(frames(6, 6)))
    yield "ok_pcm32_stereo", riff(fmt(bits=32, rate=48000), data(frames(4, 8)))
    yield "ok_float_stereo", riff(fmt(tag=3, bits=32), data(struct.pack("<8f", 0, .5, -.5, 1, -1, 2, .25, -.25)))
    yield "ok_pcm16_6ch", riff(fmt(channels=6, rate=48000), data(frames(3, 12)))
    yield "ok_extensible_pcm24", riff(fmt(tag=0xFFFE, bits=24, sub=1), data(frames(4, 6)))
    yield "ok_extensible_float", riff(fmt(tag=0xFFFE, bits=32, sub=3), data(frames(4, 8)))
    yield "ok_odd_chunks", riff(chunk(b"JUNK", b"abc"), fmt(), chunk(b"LIST", b"INFOx"), data(s16))
    yield "ok_truncated_data", riff(fmt(), data(s16, declared=100000))
    yield "ok_unknown_size", riff(fmt(), data(s16, declared=0xFFFFFFFF))
    yield "ok_fmt_after_data", riff(data(s16), fmt())
    yield "ok_rf64", riff(ds64, fmt(), data(s16, declared=0xFFFFFFFF), magic=b"RF64")
    # A tag chunk after the data (ReplayGain: track gain -7.25 dB, peak 0.5),
    # and one that claims more than the file holds.
    tag = id3_tag((b"TIT2", b"Tagged"), (b"TXXX", b"REPLAYGAIN_TRACK_GAIN\0-7.25 dB"),
                  (b"TXXX", b"replaygain_track_peak\0" b"0.5"))
    yield "ok_id3_chunk", riff(fmt(), data(s16), chunk(b"id3 ", tag))
    yield "ok_id3_chunk_cut", riff(fmt(), data(s16), chunk(b"ID3 ", tag))[:-10]
    yield "bad_zero_channels", riff(fmt(channels=0, align=4), data(s16))
    yield "bad_absurd_rate", riff(fmt(rate=4000000000 // 4), data(s16))
    yield "bad_block_align", riff(fmt(align=1000), data(s16))
    yield "bad_adpcm", riff(fmt(tag=2), data(s16))
    yield "bad_not_wave", b"RIFF" + struct.pack("<I", 4) + b"AVI "
    yield "bad_no_data", riff(fmt())
    yield "bad_empty_data", riff(fmt(), data(b""))
    yield "bad_header_cut", riff(fmt(), data(s16))[:30]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    os.makedirs(out, exist_ok=True)
    for name, content in seeds():
        with open(os.path.join(out, name + ".wav"), "wb") as f:
            f.write(content)


if __name__ == "__main__":
    main()
