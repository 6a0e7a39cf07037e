#!/usr/bin/python3
"""Reads a folder tree of split images with tifffile and Pillow and describes it.

Input (a JSON file): the tree's root, the whole 16-bit source image (a TIFF file), the whole
display picture (a lossless PNG file), and the rectangles [x, y, width, height] that the parts are
expected to hold, by relative path: "rects" for the TIFF parts (a missing rectangle: size only, no
pixel comparison) and "jpegRects" for the JPEG parts (a missing one: the whole picture).

Output (JSON on standard output):
- "files": every file under the root, relative, sorted;
- "tiff": per TIFF file its [height, width], its sample type and whether its pixels equal the
  source cut to the expected rectangle;
- "jpeg": per JPEG file its [width, height], its resolution in dots per inch, and the mean absolute
  difference of its grey levels from the display picture cut to its expected rectangle (null when
  the sizes differ).
"""
import json
import os
import sys

import numpy as np
import tifffile
from PIL import Image


def main():
    with open(sys.argv[1]) as f:
        data = json.load(f)
    root = data["root"]
    source = tifffile.imread(data["source"])
    display = np.asarray(Image.open(data["display"]).convert("L"), dtype=float)
    rects = data["rects"]

    files = []
    for folder, _dirs, names in os.walk(root):
        for name in names:
            files.append(os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/"))
    files.sort()

    tiff = {}
    jpeg = {}
    for rel in files:
        path = os.path.join(root, rel)
        if rel.endswith(".tif"):
            with tifffile.TiffFile(path) as tif:
                page = tif.pages[0]
                pixels = page.asarray()
            entry = {"shape": list(pixels.shape), "dtype": str(pixels.dtype), "equal": None}
            rect = rects.get(rel)
            if rect is not None:
                x, y, w, h = rect
                entry["equal"] = bool(np.array_equal(pixels, source[y:y + h, x:x + w]))
            tiff[rel] = entry
        elif rel.endswith(".jpg"):
            with Image.open(path) as im:
                size = list(im.size)
                dpi = [round(float(v)) for v in im.info.get("dpi", (0, 0))]
                grey = np.asarray(im.convert("L"), dtype=float)
            rect = data["jpegRects"].get(rel)
            if rect is not None:
                x, y, w, h = rect
                expected = display[y:y + h, x:x + w]
            else:
                expected = display
            diff = None
            if expected.shape == grey.shape:
                diff = float(np.mean(np.abs(grey - expected)))
            jpeg[rel] = {"size": size, "dpi": dpi, "diff": diff}

    json.dump({"files": files, "tiff": tiff, "jpeg": jpeg}, sys.stdout)


if __name__ == "__main__":
    main()
