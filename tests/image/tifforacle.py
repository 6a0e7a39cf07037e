#!/usr/bin/python3
"""Independent TIFF reader and writer for the codec tests, built on tifffile.

  tifforacle.py read TIF RAW
      Reads the first page; writes its pixels to RAW as little-endian unsigned 16-bit values and
      prints "WIDTH HEIGHT DTYPE PHOTOMETRIC".
  tifforacle.py write RAW WIDTH HEIGHT TIF [options]
      Writes the little-endian unsigned 16-bit pixels of RAW as a TIFF file (see --help).
  tifforacle.py block TIF
      Prints the entries of the private block (tag 36864) of the first page, one a line:
      "TAG TYPE COUNT VALUE-HEX", the value taken from the value field when it holds 4 bytes or
      less, else from its offset counted from the block's first byte.
"""
import argparse
import struct
import sys

import numpy
import tifffile


def read(args):
    with tifffile.TiffFile(args.tif) as tif:
        page = tif.pages[0]
        data = page.asarray()
        if data.dtype != numpy.uint16:
            data = data.astype(numpy.uint16)
        data.astype('<u2').tofile(args.raw)
        print(page.imagewidth, page.imagelength, page.dtype, int(page.photometric))


UNIT = {1: 1, 2: 1, 3: 2, 4: 4, 5: 8, 6: 1, 7: 1}


def block(args):
    with open(args.tif, 'rb') as f:
        data = f.read()
    with tifffile.TiffFile(args.tif) as tif:
        tag = tif.pages[0].tags[36864]
        # A count of 4 bytes or less leaves the block's offset in the value field.
        start = tag.valueoffset
        if tag.count * UNIT.get(tag.dtype, 1) <= 4:
            start = struct.unpack_from('<I', data, tag.valueoffset)[0]
    n = struct.unpack_from('<H', data, start)[0]
    for i in range(n):
        at = start + 2 + 12 * i
        code, typ, count = struct.unpack_from('<HHI', data, at)
        size = UNIT.get(typ, 0) * count
        if size <= 4:
            value = data[at + 8:at + 8 + size]
        else:
            offset = start + struct.unpack_from('<I', data, at + 8)[0]
            value = data[offset:offset + size]
            if len(value) != size:
                sys.exit('inner value past the end of the file')
        print(code, typ, count, value.hex())


def write(args):
    pixels = numpy.fromfile(args.raw, dtype='<u2').reshape(args.height, args.width)
    if args.bits == 8:
        pixels = (pixels >> 8).astype(numpy.uint8)
    units = {'centimeter': 'CENTIMETER', 'inch': 'INCH', 'none': 'NONE'}
    private = b''
    if args.block:
        with open(args.block, 'rb') as f:
            private = f.read()
    tifffile.imwrite(
        args.tif,
        pixels,
        byteorder=args.byteorder,
        photometric=args.photometric,
        rowsperstrip=args.rowsperstrip or args.height,
        resolution=((args.resolution[0], args.resolution[1]), (args.resolution[0], args.resolution[1])),
        resolutionunit=units[args.unit],
        description=args.description,
        metadata=None,
        extratags=[(36864, 7, len(private), private, True)] if private else [],
    )


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest='command', required=True)
    r = sub.add_parser('read')
    r.add_argument('tif')
    r.add_argument('raw')
    w = sub.add_parser('write')
    w.add_argument('raw')
    w.add_argument('width', type=int)
    w.add_argument('height', type=int)
    w.add_argument('tif')
    w.add_argument('--bits', type=int, default=16, choices=(8, 16))
    w.add_argument('--byteorder', default='<', choices=('<', '>'))
    w.add_argument('--photometric', default='minisblack', choices=('minisblack', 'miniswhite'))
    w.add_argument('--rowsperstrip', type=int, default=0)
    w.add_argument('--resolution', type=int, nargs=2, default=(100000, 404))
    w.add_argument('--unit', default='centimeter', choices=('centimeter', 'inch', 'none'))
    w.add_argument('--description', default=None)
    w.add_argument('--block', default=None, help='file whose bytes become the private block (tag 36864)')
    b = sub.add_parser('block')
    b.add_argument('tif')
    args = parser.parse_args()
    {'read': read, 'write': write, 'block': block}[args.command](args)


if __name__ == '__main__':
    sys.exit(main())
