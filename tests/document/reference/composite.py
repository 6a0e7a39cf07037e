#!/usr/bin/python3
"""The colour composite of a fluorescence capture, from its TIFF files, against the picture the test
hands over.

Usage: composite.py <capture folder> <selection> <red> <green> <blue> <raw RGB file>

Each file's "Channel" item (1, 2, 3) makes it blue, green or red; its "Range low" and "Range high"
items give its display range. A grey level maps to a display level: 0 up to the low end, then
linearly (truncated) onto 0..254 up to the high end, 254 above it, and 255 for the saturated grey
level 65535 alone. The picture has the size of the first channel present; a selected channel adds
its levels over the area every selected channel covers, and a pixel at level 255 in any selected
channel takes the saturated colour. Prints "ok" or the first difference.
"""
import glob
import os
import sys

import numpy as np
import tifffile


def items(description):
    result = {}
    for line in description.splitlines():
        key, sep, value = line.partition(" = ")
        if sep:
            result.setdefault(key, value)
    return result


def display_levels(pixels, low, high):
    v = pixels.astype(np.int64)
    levels = np.zeros(v.shape, dtype=np.int64)
    inside = (v > low) & (v < high)
    levels[inside] = (v[inside] - low) * 254 // (high - low)
    levels[(v >= high) & (v > low)] = 254
    levels[v == 65535] = 255
    return levels


def main():
    folder, selection = sys.argv[1], int(sys.argv[2], 0)
    saturated = [int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])]
    channels = {}
    for path in sorted(glob.glob(os.path.join(folder, "*.tif"))):
        with tifffile.TiffFile(path) as tif:
            page = tif.pages[0]
            meta = items(page.tags["ImageDescription"].value)
            channel = int(meta.get("Channel", "0"))
            levels = display_levels(page.asarray(), int(meta["Range low"]), int(meta["Range high"]))
        channels[channel - 1] = levels
    first = channels[min(channels)]
    height, width = first.shape
    selected = [c for c in range(3) if selection & (1 << c) and c in channels]
    h = min([height] + [channels[c].shape[0] for c in selected])
    w = min([width] + [channels[c].shape[1] for c in selected])
    expected = np.zeros((height, width, 3), dtype=np.int64)
    burnt = np.zeros((h, w), dtype=bool)
    for c in selected:
        plane = channels[c][:h, :w]
        expected[:h, :w, 2 - c] = plane
        burnt |= plane == 255
    expected[:h, :w][burnt] = saturated

    actual = np.fromfile(sys.argv[6], dtype=np.uint8)
    if actual.size != expected.size:
        print("size %d, expected %d" % (actual.size, expected.size))
        return
    actual = actual.reshape(expected.shape).astype(np.int64)
    differ = np.argwhere(actual != expected)
    if differ.size:
        y, x, k = differ[0]
        print("(%d, %d)[%d]: %d, expected %d; %d differences" % (x, y, k, actual[y, x, k], expected[y, x, k], len(differ)))
        return
    print("ok")


if __name__ == "__main__":
    main()
