#!/usr/bin/env python3
"""Writes the seed corpus of the ".m3u" line reader's fuzz target: lists as
players and people write them (plain, extended with #EXTINF, CRLF, a UTF-8
byte order mark, no last line end) and the damage the reader must survive
(NUL bytes, overlong lines, a lone CR). The first byte of each seed is the
target's control byte (piece size and path limit), the rest the list.

The replay test expects the count of paths each name ends in: *_<n>paths.

Usage: make_corpus.py [corpus folder]   (default: corpus/ beside this script)
"""
import os
import sys

LONG = "C:\\Music\\" + "x" * 250 + ".mp3"  # 263 characters: skipped whole


def seeds():
    plain = "C:\\Music\\a.mp3\nC:\\Music\\b.flac\nD:\\c d\\e.wav\n"
    yield "plain_3paths", 7, plain
    yield "plain_crlf_3paths", 1, plain.replace("\n", "\r\n")
    yield "extended_2paths", 200, ("#EXTM3U\r\n#EXTINF:123,Artist - Title\r\nC:\\Music\\a.mp3\r\n"
                                   "#EXTINF:-1,Stream\r\nhttp://example.org/stream\r\n")
    yield "bom_utf8_2paths", 64, "\ufeffC:\\Musik\\\u00fcber.mp3\nrelative\\b.mp3"
    yield "no_last_line_end_2paths", 3, "a.wav\r\nb.wav"
    yield "nul_line_1paths", 5, "a\0b.wav\nc.wav\n"
    yield "overlong_line_1paths", 130, LONG + "\n" + "C:\\ok.mp3\r\n"
    yield "longest_line_1paths", 9, "C:\\" + "y" * 256 + "\r\n"
    yield "lone_cr_1paths", 2, "a.mp3\rb.mp3\n\n\n"
    yield "only_comments_0paths", 11, "#EXTM3U\n#\n\n\r\n"
    yield "empty_0paths", 0, ""


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    folder = os.path.join(folder, "m3u_lines")
    os.makedirs(folder, exist_ok=True)
    count = 0
    for name, control, text in seeds():
        with open(os.path.join(folder, name + ".m3u"), "wb") as f:
            f.write(bytes([control]) + text.encode("utf-8"))
        count += 1
    print("%d seeds in %s" % (count, folder))


if __name__ == "__main__":
    main()
