#!/usr/bin/env python3
"""Tags an M4A with the iTunSMPB item that iTunes writes (ffmpeg cannot):
a "----" item with mean "com.apple.iTunes", name "iTunSMPB" and the text
" 00000000 <delay> <padding> <length> 00000000 ..." in hexadecimal, added to
moov/udta/meta/ilst. The delay is the media time of the edit list of a second
file (the same encoding with an edit list, as ffmpeg writes it), the length
the real sample count, the padding what the media holds beyond both.

Usage: add_itunsmpb.py <in.m4a without edit list> <same with edit list> <frames> <out.m4a>
The moov box must come after the media data, so that no chunk offset moves.
"""
import struct
import sys


def boxes(data, start, end):
    pos = start
    while pos + 8 <= end:
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        header = 8
        if size == 1:
            size = struct.unpack(">Q", data[pos + 8:pos + 16])[0]
            header = 16
        elif size == 0:
            size = end - pos
        yield kind, pos, header, size
        pos += size


def child(data, parent_body, parent_end, kind):
    for k, pos, header, size in boxes(data, parent_body, parent_end):
        if k == kind:
            return pos, header, size
    raise SystemExit("add_itunsmpb: no %s box" % kind.decode())


def path(data, names):
    """Positions (pos, header, size) of each box along names from the top."""
    found = []
    body, end = 0, len(data)
    for name in names:
        pos, header, size = child(data, body, end, name)
        found.append((pos, header, size))
        body, end = pos + header, pos + size
        if name == b"meta":
            body += 4  # full box
    return found


def edit_media_time(data):
    moov = path(data, [b"moov"])[0]
    for kind, pos, header, size in boxes(data, moov[0] + moov[1], moov[0] + moov[2]):
        if kind != b"trak":
            continue
        edts = child(data, pos + header, pos + size, b"edts")
        elst = child(data, edts[0] + edts[1], edts[0] + edts[2], b"elst")
        body = elst[0] + elst[1]
        version = data[body]
        if version == 1:
            return struct.unpack(">q", data[body + 16:body + 24])[0]
        return struct.unpack(">i", data[body + 12:body + 16])[0]
    raise SystemExit("add_itunsmpb: no track")


def media_length(data):
    stts = path(data, [b"moov", b"trak", b"mdia", b"minf", b"stbl", b"stts"])[-1]
    body = stts[0] + stts[1]
    count = struct.unpack(">I", data[body + 4:body + 8])[0]
    total = 0
    for i in range(count):
        samples, duration = struct.unpack(">II", data[body + 8 + 8 * i:body + 16 + 8 * i])
        total += samples * duration
    return total


def box(kind, payload):
    return struct.pack(">I", len(payload) + 8) + kind + payload


def main():
    source, with_edits, frames, out = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    data = bytearray(open(source, "rb").read())
    delay = edit_media_time(open(with_edits, "rb").read())
    padding = media_length(data) - delay - frames
    if padding < 0:
        raise SystemExit("add_itunsmpb: the media is shorter than delay and length")
    text = " 00000000 %08X %08X %016X" % (delay, padding, frames) + " 00000000" * 8
    item = box(b"----", box(b"mean", bytes(4) + b"com.apple.iTunes") + box(b"name", bytes(4) + b"iTunSMPB") +
               box(b"data", struct.pack(">II", 1, 0) + text.encode("ascii")))
    chain = path(data, [b"moov", b"udta", b"meta", b"ilst"])
    mdat = child(data, 0, len(data), b"mdat")
    if chain[0][0] < mdat[0]:
        raise SystemExit("add_itunsmpb: moov before mdat")
    ilst = chain[-1]
    data[ilst[0] + ilst[2]:ilst[0] + ilst[2]] = item
    for pos, header, size in chain:
        if header != 8:
            raise SystemExit("add_itunsmpb: 64-bit box sizes")
        struct.pack_into(">I", data, pos, size + len(item))
    open(out, "wb").write(data)


if __name__ == "__main__":
    main()
