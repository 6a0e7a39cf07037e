#!/usr/bin/python3
"""Reference statistics of a raw 16-bit image, computed with numpy alone.

Usage: histogram.py INPUT.json
INPUT holds "pixels" (path of the raw host-order uint16 file), "lowerRate", "upperRate" and
"counts" (for the upper levels). Prints one JSON object: "histogram" (65536 counts), "min", "max",
"low" and "high" (the levels where the running sums from either end first reach the rate's share
of all pixels; 65536 and -1 when they never do), and "upperLevels" (for each count, one level below
the level where the sum from the brightest pixel downward reaches it, 0 past level 0).
"""
import json
import sys

import numpy as np


def first_reaching(running, target, missing):
    hits = np.flatnonzero(running >= target)
    return int(hits[0]) if hits.size else missing


def main():
    with open(sys.argv[1]) as f:
        params = json.load(f)
    pixels = np.fromfile(params["pixels"], dtype=np.uint16)
    n = pixels.size
    hist = np.bincount(pixels, minlength=65536).astype(np.int64)

    low = first_reaching(np.cumsum(hist), params["lowerRate"] * n, 65536)
    from_top = first_reaching(np.cumsum(hist[::-1]), params["upperRate"] * n, None)
    high = -1 if from_top is None else 65535 - from_top

    top = int(pixels.max())
    below_top = np.cumsum(hist[top::-1])
    upper = []
    for count in params["counts"]:
        if count == 0:
            upper.append(top)
            continue
        step = first_reaching(below_top, count, None)
        upper.append(0 if step is None else max(top - step - 1, 0))

    json.dump({
        "histogram": hist.tolist(),
        "min": int(pixels.min()),
        "max": top,
        "low": low,
        "high": high,
        "upperLevels": upper,
    }, sys.stdout)


if __name__ == "__main__":
    main()
