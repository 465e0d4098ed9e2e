#!/usr/bin/env python3
"""Writes the seed corpora of the command-line and DDE poke fuzz targets:
command lines as Windows hands them to the program (its own name first,
quoted or not) and poke data as a second start sends it (the text with its
NUL), plus the odd ones (unterminated quotes, tabs, no NUL, data past the
receiving buffer).

The replay test expects the count of arguments each name ends in: *_<n>args
(for command_line seeds: the arguments after the program name).

Usage: make_corpus.py [corpus folder]   (default: corpus/ beside this script)
"""
import os
import sys

SPACED = '"C:\\My Music\\a b.mp3"'


def command_lines():
    yield "quoted_program_2args", '"C:\\Program Files\\Melodek\\melodek.exe" ' + SPACED + " D:\\c.flac"
    yield "bare_program_1args", "melodek.exe\tE:\\list.m3u"
    yield "no_arguments_0args", '"C:\\Melodek\\melodek.exe"'
    yield "blanks_only_0args", "melodek.exe  \t "
    yield "unterminated_2args", 'melodek.exe a.wav "b c.wav'
    yield "quote_inside_2args", 'melodek.exe a"b c"'
    yield "empty_quoted_3args", 'melodek.exe "" x ""'
    # A shell verb's command line as the setup registers it, %1 put in.
    yield "shell_verb_2args", '"C:\\Users\\me\\AppData\\Local\\Programs\\Melodek\\melodek.exe" /add ' + SPACED
    yield "folders_3args", 'melodek.exe "C:\\Music\\" D:\\Sounds "\\\\server\\share\\list.m3u"'
    # The "/add" switch counts as an argument of the split; ParseStartRequest takes it off.
    yield "add_switch_3args", '"C:\\Melodek\\melodek.exe" /add ' + SPACED + " D:\\c.flac"
    yield "add_not_first_2args", "melodek.exe a.wav /ADD"


def pokes():
    yield "command_line_2args", (SPACED + " D:\\c.flac").encode() + b"\0"
    yield "no_nul_1args", b"C:\\x.wav"
    yield "nul_early_1args", b"a.wav\0b.wav c.wav\0"
    yield "empty_0args", b"\0"
    yield "tabs_2args", b"\ta.wav\t b.wav\0"
    # Longer than the receiving buffer: 16383 characters arrive.
    yield "overlong_1args", b"x" * 20000
    yield "overlong_spaced_2args", b"y" * 16380 + b" zzzz\0"
    # What a start sends the hand-over window: launch time, then the text
    # (read as a poke, the launch time joins the first argument).
    yield "direct_hand_over_4args", bytes(range(1, 9)) + (SPACED + " D:\\c.flac").encode() + b"\0"


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    count = 0
    for name, text in command_lines():
        write(os.path.join(root, "command_line"), name + ".txt", text.encode("latin-1"))
        count += 1
    for name, data in pokes():
        write(os.path.join(root, "dde_poke"), name + ".bin", data)
        count += 1
    print("%d seeds in %s" % (count, root))


if __name__ == "__main__":
    main()
