#!/usr/bin/env python3
"""Independent references for the image rendering tests, written from the rules alone.

Usage: render.py <command> <folder>. The folder holds cases.json (a list of cases) and, for every
case, <name>.in: the 16-bit source pixels, little-endian, row-major. The script writes <name>.out
(and for "render" also <name>.colours) beside them. Commands:

  render      8-bit indices of a rectangle through the display table, and the 256-entry colour table
  rotate      quarter turns (numpy.rot90)
  halfsize    2 x 2 sums held at 65535
  linear      bilinear zoom through scipy.ndimage.map_coordinates (order 1), as doubles
  cubic       cubic-convolution zoom, transcribed pixel by pixel
"""

import json
import math
import sys

import numpy as np
from scipy import ndimage


def load(folder, case):
    data = np.fromfile(f"{folder}/{case['name']}.in", dtype="<u2")
    return data.reshape(case["height"], case["width"])


def save(folder, case, array, suffix="out"):
    array.tofile(f"{folder}/{case['name']}.{suffix}")


def display_table(low, high):
    v = np.arange(65536, dtype=np.int64)
    table = np.full(65536, 254, dtype=np.int64)
    table[v <= low] = 0
    middle = (v > low) & (v < high)
    table[middle] = ((v[middle] - low) * 254) // (high - low)
    table[65535] = 255
    return table


def colour_table(linear, negative, saturated):
    i = np.arange(256)
    if linear:
        grey = i.astype(np.int64)
    else:
        with np.errstate(divide="ignore"):
            grey = np.floor(np.log10(i) / np.log10(255.0) * 255.0)
        grey = np.clip(grey, 1, 254).astype(np.int64)
        grey[0] = 0
    rgb = np.stack([grey, grey, grey], axis=1)
    if negative:
        rgb = 255 - rgb
    argb = (np.uint32(255) << 24) | (rgb[:, 0].astype(np.uint32) << 16) \
        | (rgb[:, 1].astype(np.uint32) << 8) | rgb[:, 2].astype(np.uint32)
    if saturated:
        argb[255] = (255 << 24) | (240 << 16) | (0 << 8) | 240
    return argb.astype("<u4")


def render(folder, case, image):
    height, width = image.shape
    x0, y0 = max(0, case["x"]), max(0, case["y"])
    x1, y1 = min(width, case["x"] + case["w"]), min(height, case["y"] + case["h"])
    region = image[y0:y1, x0:x1]
    indices = display_table(case["low"], case["high"])[region].astype(np.uint8)
    save(folder, case, indices)
    save(folder, case, colour_table(case["linear"], case["negative"], case["saturated"]), "colours")


def rotate(folder, case, image):
    k = -1 if case["mode"] == 0 else 1  # mode 0 turns clockwise, numpy's positive k counter-clockwise
    save(folder, case, np.ascontiguousarray(np.rot90(image, k)).astype("<u2"))


def halfsize(folder, case, image):
    h, w = image.shape[0] // 2, image.shape[1] // 2
    blocks = image[:2 * h, :2 * w].astype(np.int64).reshape(h, 2, w, 2).sum(axis=(1, 3))
    save(folder, case, np.minimum(blocks, 65535).astype("<u2"))


def source_positions(count, origin, span):
    i = np.arange(count, dtype=np.float64)
    return (i - (count - 1) / 2.0) * span / count + origin + (span - 1) / 2.0


def linear(folder, case, image):
    fy = source_positions(case["th"], case["y"], case["h"])
    fx = source_positions(case["tw"], case["x"], case["w"])
    rows, cols = np.meshgrid(fy, fx, indexing="ij")
    out = ndimage.map_coordinates(image.astype(np.float64), [rows, cols], order=1, mode="constant", cval=0.0)
    save(folder, case, out.astype("<f8"))


def cubic_weights(f, i, a):
    t = f - i
    d0, d2, d3 = t + 1, 1 - t, 2 - t
    return [a * d0 ** 3 - 5 * a * d0 ** 2 + 8 * a * d0 - 4 * a,
            (a + 2) * t ** 3 - (a + 3) * t ** 2 + 1,
            (a + 2) * d2 ** 3 - (a + 3) * d2 ** 2 + 1,
            a * d3 ** 3 - 5 * a * d3 ** 2 + 8 * a * d3 - 4 * a]


def mirror(k, size):
    k = abs(k)
    if k > size - 1:
        k = 2 * size - 2 - k
    return k


def cubic(folder, case, image):
    height, width = image.shape
    a = case["a"]
    tw, th = case["tw"], case["th"]
    out = np.full((th, tw), case["fill"], dtype=np.int64)
    fys = source_positions(th, case["y"], case["h"])
    fxs = source_positions(tw, case["x"], case["w"])
    for r in range(th):
        fy = fys[r]
        iy = math.trunc(fy) if fy > 0 else math.trunc(fy - 1)
        if iy < -1 or iy > height:
            continue
        wy = cubic_weights(fy, iy, a)
        rows = [mirror(iy - 1 + j, height) for j in range(4)]
        for c in range(tw):
            fx = fxs[c]
            ix = math.trunc(fx) if fx > 0 else math.trunc(fx - 1)
            if ix < -1 or ix > width:
                continue
            wx = cubic_weights(fx, ix, a)
            cols = [mirror(ix - 1 + j, width) for j in range(4)]
            total = 0.0
            for j in range(4):
                samples = [int(image[rows[j], cols[i]]) for i in range(4)]
                if 65535 in samples:
                    total = 65535.0
                    break
                total += sum(samples[i] * wx[i] * wy[j] for i in range(4))
            out[r, c] = 0 if total <= 0 else 65535 if total >= 65535 else math.trunc(total)
    save(folder, case, out.astype("<u2"))


def main():
    command, folder = sys.argv[1], sys.argv[2]
    with open(f"{folder}/cases.json") as f:
        cases = json.load(f)
    action = {"render": render, "rotate": rotate, "halfsize": halfsize, "linear": linear, "cubic": cubic}[command]
    for case in cases:
        action(folder, case, load(folder, case))


if __name__ == "__main__":
    main()
