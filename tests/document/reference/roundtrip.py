#!/usr/bin/python3
"""Compares the pixels of saved capture TIFF files with those of the originals, with tifffile, and
reads the analysis items the saved files carry.

Input (a JSON file): "pairs", a list of [original, saved] TIFF paths.

Output (JSON on standard output): "files", one entry per pair, in order:
- "shape": [height, width] of the saved image, "dtype": its sample type;
- "equal": whether its pixels are those of the original (same shape, same type, same values);
- "items": the analysis items "Lane", "Band", "Background", "MWStandardLane" and "MWStandard" of
  the saved file's image description (lines "key = value"; the first line of a key counts); an
  item that is not there is left out.
"""
import json
import sys

import numpy as np
import tifffile

ANALYSIS_ITEMS = ("Lane", "Band", "Background", "MWStandardLane", "MWStandard")


def description_items(page):
    tag = page.tags.get(270)
    if tag is None:
        return {}
    text = tag.value
    if isinstance(text, bytes):
        text = text.decode("latin-1")
    items = {}
    for line in text.replace("\r\n", "\n").split("\n"):
        key, sep, value = line.partition(" = ")
        if not sep:
            continue
        if key in ANALYSIS_ITEMS and key not in items:
            items[key] = value
    return items


def main():
    with open(sys.argv[1]) as f:
        pairs = json.load(f)["pairs"]
    files = []
    for original_path, saved_path in pairs:
        original = tifffile.imread(original_path)
        with tifffile.TiffFile(saved_path) as saved_file:
            page = saved_file.pages[0]
            saved = page.asarray()
            items = description_items(page)
        equal = (saved.shape == original.shape and saved.dtype == original.dtype
                 and bool(np.array_equal(saved, original)))
        files.append({"shape": list(saved.shape), "dtype": str(saved.dtype), "equal": equal, "items": items})
    json.dump({"files": files}, sys.stdout)


if __name__ == "__main__":
    main()
