#!/usr/bin/python3
"""Writes the seed corpus of fuzz_tiffreader into fuzz/corpus/tiffreader/: a few tiny valid files
in the instrument's form and a few that the reader must refuse. Run it from anywhere; the files are
committed, so it is needed only to change the seeds."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, 'corpus', 'tiffreader')

UNIT = {2: 1, 3: 2, 4: 4, 5: 8, 7: 1}


def entries_bytes(entries, base, next_offset):
    """entries: (tag, type, count, value bytes[, explicit field]). Offsets count from base."""
    head = struct.pack('<H', len(entries))
    values = b''
    start = base + 2 + 12 * len(entries) + (4 if next_offset else 0)
    for e in entries:
        tag, typ, count, value = e[:4]
        head += struct.pack('<HHI', tag, typ, count)
        size = UNIT.get(typ, 0) * count
        if len(e) > 4:
            head += struct.pack('<I', e[4])
            values += value
        elif size <= 4 and tag != 36864:
            head += (value + b'\0' * 4)[:4]
        else:
            head += struct.pack('<I', start + len(values))
            values += value
    if next_offset:
        head += struct.pack('<I', 0)
    return head + values


def tiff(entries, pixels, mark=b'II'):
    return mark + struct.pack('<HI', 42, 8 + len(pixels)) + pixels + entries_bytes(entries, 8 + len(pixels), True)


def short(tag, v):
    return (tag, 3, 1, struct.pack('<H', v))


def long_(tag, v):
    return (tag, 4, 1, struct.pack('<I', v))


def ascii_(tag, text):
    return (tag, 2, len(text) + 1, text + b'\0')


def rational(tag, n, d):
    return (tag, 5, 1, struct.pack('<II', n, d))


def block(inner):
    return entries_bytes(inner, 0, False)


def base(width, height, description=b'Comment = seed\r\nRange low = 7\r\nRange high = 4000\r\n', extra=()):
    entries = [long_(254, 0), short(255, 1), long_(256, width), long_(257, height), short(258, 16), short(259, 1),
               short(262, 1), ascii_(270, description), long_(273, 8), short(277, 1), long_(278, height),
               long_(279, width * height * 2), rational(282, 100000, 404), rational(283, 100000, 404),
               short(296, 3)]
    entries += list(extra)
    return sorted(entries, key=lambda e: e[0])


def pixels(width, height):
    return b''.join(struct.pack('<H', (x * 7919 + y * 104729) & 0xFFFF) for y in range(height) for x in range(width))


def main():
    os.makedirs(OUT, exist_ok=True)
    p = pixels(2, 3)
    calibration = block([(13, 7, 11, b'0.1,0.2;0.3')])
    numbers = block([(100, 3, 1, struct.pack('<H', 65535)), (101, 4, 1, struct.pack('<i', -2)),
                     (102, 5, 1, struct.pack('<II', 404, 100000)), (103, 2, 3, b'ab\0'),
                     (36864, 7, 5, b'hello')])
    lists = block([(100, 3, 3, struct.pack('<3H', 11, 22, 33)), (101, 3, 2, struct.pack('<2H', 7, 65535)),
                   (102, 4, 3, struct.pack('<3I', 1, 0xFFFFFFFF, 0x80000000)),
                   (103, 5, 2, struct.pack('<4I', 1, 3, 404, 100000))])
    p96 = pixels(8, 6)
    seeds = {
        'valid_2x3.tif': tiff(base(2, 3), p),
        'valid_calibration_block.tif': tiff(base(2, 3, extra=[(36864, 7, 1, calibration)]), p),
        'valid_numeric_block.tif': tiff(base(2, 3, extra=[(36864, 7, 1, numbers)]), p),
        'valid_short_sizes.tif': tiff([short(256, 3), short(257, 2), short(258, 16), short(259, 1), short(262, 0),
                                       long_(273, 8), short(277, 1), short(278, 2), short(279, 12), short(296, 3)],
                                      pixels(3, 2)),
        'valid_multiline_description.tif': tiff(base(2, 3, b'plain first line\r\nComment = a=b\r\n\r\nLane = 1,2\n'), p),
        'refused_big_endian.tif': tiff(base(2, 3), p, mark=b'MM'),
        'refused_lzw.tif': tiff([e if e[0] != 259 else short(259, 5) for e in base(2, 3)], p),
        'refused_hostile_size.tif': tiff([e for e in base(2, 3) if e[0] not in (256, 257, 278, 279)]
                                         + [long_(256, 65535), long_(257, 65535)], p),
        'valid_list_block.tif': tiff(base(2, 3, extra=[(36864, 7, 1, lists)]), p),
        # Sizes whose low 16 bits would make 8 x 6, with pixels enough for that.
        'refused_wrapped_width.tif': tiff([e for e in base(65544, 6) if e[0] != 279], p96),
        'refused_wrapped_height.tif': tiff([e for e in base(8, 65542) if e[0] != 279], p96),
        'refused_no_bits_per_sample.tif': tiff([e for e in base(2, 3) if e[0] != 258], p),
        'refused_block_past_end.tif': tiff(base(2, 3, extra=[(36864, 7, 1, b'', 0x7FFFFF00)]), p),
    }
    whole = tiff([e for e in base(2, 3) if e[0] not in (270, 282, 283)], p)
    seeds['cut_directory.tif'] = whole[:len(whole) - 4 - 12 * 3]
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
