#!/usr/bin/python3
"""Independent TIFF reader and writer for the codec tests, built on tifffile.

  tifforacle.py read TIF RAW
      Reads the first page; writes its pixels to RAW as little-endian unsigned 16-bit values and
      prints "WIDTH HEIGHT DTYPE PHOTOMETRIC".
  tifforacle.py write RAW WIDTH HEIGHT TIF [options]
      Writes the little-endian unsigned 16-bit pixels of RAW as a TIFF file (see --help).
"""
import argparse
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


def write(args):
    pixels = numpy.fromfile(args.raw, dtype='<u2').reshape(args.height, args.width)
    if args.bits == 8:
        pixels = (pixels >> 8).astype(numpy.uint8)
    units = {'centimeter': 'CENTIMETER', 'inch': 'INCH', 'none': 'NONE'}
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
    args = parser.parse_args()
    read(args) if args.command == 'read' else write(args)


if __name__ == '__main__':
    sys.exit(main())
