#!/usr/bin/env python3
"""Writes the seed corpus of the settings fuzz targets into corpus/<target>/.

The seeds are small valid inputs of each format; the fuzzers mutate them and
the native tests replay them. Run again after a format change.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def i32(v):
    return struct.pack('<i', v)


def u32(v):
    return struct.pack('<I', v)


def f32(v):
    return struct.pack('<f', v)


def text(s, wide=False):
    b = s.encode('latin-1')
    n = len(s)
    if wide:
        return b'\xff\xfe\xff' + bytes([n]) + s.encode('utf-16-le')
    if n < 255:
        return bytes([n]) + b
    if n <= 65533:
        return b'\xff' + struct.pack('<H', n) + b
    return b'\xff\xff\xff' + u32(n) + b


def archive(mark=True, lists=(), presets=None, folders=('.', 'Plugins', 'C:\\P\\Winamp\\plugins'),
            wide_title=False):
    out = i32(16777472) + i32(10) + i32(20) if mark else i32(5)
    for v in (1, 0, 3, 255, 100, 0, 1):  # PlayMode .. VolumeStep
        out += i32(v)
    out += i32(len(folders)) + b''.join(text(f) for f in folders)
    out += i32(len(lists))
    for order, name, files in lists:
        out += i32(order) + text(name) + i32(len(files))
        for fid, path, title, vol, preset in files:
            out += i32(fid) + i32(fid) + text(path) + text(title, wide_title) + i32(vol) + i32(preset)
    if presets is None:
        presets = [(0, 'Default', 0, [])]
    out += i32(len(presets)) + i32(256) + i32(256)
    for pid, name, ptype, points in presets:
        out += i32(pid) + text(name) + i32(ptype) + i32(len(points)) + i32(256) + i32(256)
        for x, y in points:
            out += f32(x) + f32(x) + f32(y)
    keys = (88, 86, 67, 90, 66, 78, 77, 188, 190, 112, 113, 114, 115)
    for k in keys:
        out += i32(1) + u32(10) + u32(k)
    for r in range(24):
        out += i32(r * 10)
    return out


def record(name, value):
    return text(name) + u32(len(value)) + value


def extension_block():
    """The block after the classic fields: every record this version knows,
    and one it does not (kept as it is)."""
    out = b'MLDK.EXT'
    out += record('gapless', i32(0))
    out += record('replaygain', i32(2) + i32(-300) + i32(150) + i32(1))
    out += record('loudness', i32(1) + i32(3) + f32(-14.5) + f32(0.9) + i32(1) + f32(-13.0) + f32(1.0))
    out += record('hotkeys+', i32(1) + i32(1) + u32(10) + u32(74))
    out += record('queue', i32(2) + i32(3) + i32(1))
    out += record('jumpwindow', i32(500) + i32(320))
    out += record('newer', b'\x01\x02')
    return out


def write(target, name, data):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data if isinstance(data, bytes) else data.encode('latin-1'))


def main():
    files = [(1, 'C:\\Music\\a b.mp3', '', 0, 0), (3, 'D:\\x.ogg', 'Song', -20, 9)]
    lists = [(0, 'new', files), (1, '', [])]
    presets = [(0, 'Default', 0, []), (9, 'Bass', 5, [(4.644, 2.0), (185.76, 1.0), (3715.19, 0.5)])]
    write('settings_archive', 'defaults.mlcfg', archive())
    write('settings_archive', 'lists_presets.mlcfg', archive(lists=lists, presets=presets))
    write('settings_archive', 'no_mark.mlcfg', archive(mark=False, lists=lists))
    write('settings_archive', 'wide_title.mlcfg', archive(lists=lists, wide_title=True))
    write('settings_archive', 'long_name.mlcfg', archive(lists=[(0, 'n' * 255, files)], folders=('p' * 300,)))
    write('settings_archive', 'no_presets.mlcfg', archive(presets=[], folders=()))
    write('settings_archive', 'extension.mlcfg', archive(lists=lists, presets=presets) + extension_block())

    keys = 'HotKey=\n' + ''.join('\t1,10,%d\n' % k for k in (88, 86, 67, 90, 66, 78, 77, 188, 190, 112, 113, 114, 115))
    tail = ('SelFileID=3\nRepeat=1\nPlayMode=2\nControlAlpha=200\nVolume=-6\nVolumeType=1\n'
            'VolumeStep=2\nPlayListRects3=' + ','.join(str(i) for i in range(24)) + '\n')
    write('text_settings', 'version0.cfg',
          'PlayList=\n[new]\n\tC:\\x.mp3\n\tC:\\Music\\a b.mp3\n[empty]\nPluginPath=\n\t.\n\tPlugins\n' + keys + tail)
    write('text_settings', 'version1.cfg',
          'Version=1\r\nPlayList=\r\n[A]\r\n\t12,-5,C:\\Music\\a b.mp3\r\n\t13,0,D:\\y.wav\r\nPluginPath=\r\n' + tail)
    write('text_settings', 'version2.cfg',
          'Version=2\nPlayList=\n[A]\n\t3,10,4,C:\\a.mp3\n[B]\n\t4,0,0,C:\\b.mp3\n' + keys + tail)
    write('text_settings', 'rects8.cfg', 'PlayListRects3=1,2,3,4,5,6,7,8\nVolume=+5\n')

    write('scan_line', 'version1.txt', '\t%d,%d,%s\n\t12,-5,C:\\Music\\a b.mp3')
    write('scan_line', 'version2.txt', '\t%d,%d,%d,%s\n\t3,10,4,C:\\a.mp3')
    write('scan_line', 'plus.txt', '%d,%d\n+5,6')
    write('scan_line', 'floats.txt', '%f,%f;%f\n1.5,-.25;2e3')
    write('scan_line', 'hex.txt', '%x %X|%s|%S\nff 0x1A|a b |c')
    write('scan_line', 'other.txt', '%q%d%\n7')


if __name__ == '__main__':
    main()
