#!/usr/bin/python3
"""Independent straightened-lane profiles for tst_fclineprofileutility.

Input (JSON file named on the command line):
  {"image": {"width": w, "height": h, "pixels": [row-major grey levels]},
   "table": {"a": a, "b": b},            # value table t[g] = g * a + sqrt(g) * b
   "lanes": [{"polygon": [[x, y] x4], "top": [x, y], "bottom": [x, y], "length": L, "width": W,
              "average": bool}, ...],
   "lines": [[[x, y], ...], ...]}         # polylines for the nearest-pixel sampler
Output (JSON on stdout): per lane {"size": [w, h], "pixels": [...], "profile": [...]}, per line
{"pixels": [...]}.

Conventions: coordinates relative to the corner R of the lane outline; the image is addressed at
R plus them; a coordinate below 0, or a point off the image, samples 0; int() truncates toward 0.
"""
import json
import math
import sys

import numpy as np


def line_samples(points, image):
    height, width = image.shape

    def at(x, y):
        return int(image[y, x]) if 0 <= x < width and 0 <= y < height else 0

    out = []
    for (ax, ay), (ex, ey) in zip(points, points[1:]):
        dx, dy = ex - ax, ey - ay
        length = math.sqrt(dx * dx + dy * dy)
        out.append(at(ax, ay))
        for j in range(1, int(length) - 1):
            out.append(at(int(ax + (dx * j) / length + 0.5), int(ay + (dy * j) / length + 0.5)))
        out.append(at(ex, ey))
    return out


def affine(p, q, map_x, map_y):
    (q1x, q1y), (q2x, q2y), (q3x, q3y) = q
    d = q1x * q2y + q2x * q3y + q3x * q1y - q2x * q1y - q3x * q2y - q1x * q3y

    def coefficients(r1, r2, r3):
        a = (r1 * q2y + r2 * q3y + r3 * q1y - r2 * q1y - r3 * q2y - r1 * q3y) / d
        b = (q1x * r2 + q2x * r3 + q3x * r1 - q2x * r1 - q3x * r2 - q1x * r3) / d
        c = (r3 * q1x * q2y + r1 * q2x * q3y + r2 * q3x * q1y - r3 * q2x * q1y - r1 * q3x * q2y
             - r2 * q1x * q3y) / d
        return a, b, c

    cx = coefficients(p[0][0], p[1][0], p[2][0])
    cy = coefficients(p[0][1], p[1][1], p[2][1])
    rows, columns = map_x.shape
    u0 = max(int(min(q1x, q2x, q3x)), 0)
    u1 = min(int(max(q1x, q2x, q3x)), rows - 1)
    v0 = max(int(min(q1y, q2y, q3y)), 0)
    v1 = min(int(max(q1y, q2y, q3y)), columns - 1)
    if u1 < u0 or v1 < v0:
        return
    u, v = np.meshgrid(np.arange(u0, u1 + 1, dtype=float), np.arange(v0, v1 + 1, dtype=float), indexing="ij")
    c1 = (q1x - u) * (q2y - v) - (q2x - u) * (q1y - v)
    c2 = (q2x - u) * (q3y - v) - (q3x - u) * (q2y - v)
    c3 = (q3x - u) * (q1y - v) - (q1x - u) * (q3y - v)
    inside = ((c1 >= 0) & (c2 >= 0) & (c3 >= 0)) | ((c1 <= 0) & (c2 <= 0) & (c3 <= 0))
    box = (slice(u0, u1 + 1), slice(v0, v1 + 1))
    map_x[box] = np.where(inside, cx[0] * u + cx[1] * v + cx[2], map_x[box])
    map_y[box] = np.where(inside, cy[0] * u + cy[1] * v + cy[2], map_y[box])


def three_point_mean(left, middle, right, keep):
    covered = (left >= 0) & (middle >= 0) & (right >= 0)
    return np.where(covered, (left + middle + right) / 3.0, keep)


def smooth(m):
    if m.shape[0] <= 1 or m.shape[1] < 3:
        return m
    m = m.copy()
    old = m.copy()
    m[1:-1, 1:-1] = three_point_mean(old[:-2, 1:-1], old[1:-1, 1:-1], old[2:, 1:-1], m[1:-1, 1:-1])
    old = m.copy()
    m[1:-1, 1:-1] = three_point_mean(old[1:-1, :-2], old[1:-1, 1:-1], old[1:-1, 2:], m[1:-1, 1:-1])
    return m


def sample(image, origin, map_x, map_y):
    height, width = image.shape
    padded = np.zeros((height + 1, width + 1))
    padded[:height, :width] = image
    ix = np.trunc(map_x)
    iy = np.trunc(map_y)
    fx = map_x - ix
    fy = map_y - iy
    px = ix.astype(np.int64) + origin[0]
    py = iy.astype(np.int64) + origin[1]
    inside = (map_x >= 0) & (map_y >= 0) & (px >= 0) & (px < width) & (py >= 0) & (py < height)
    px = np.where(inside, px, 0)
    py = np.where(inside, py, 0)
    p00 = padded[py, px]
    p10 = padded[py, px + 1]
    p01 = padded[py + 1, px]
    p11 = padded[py + 1, px + 1]
    value = (1 - fy) * ((1 - fx) * p00 + fx * p10) + fy * ((1 - fx) * p01 + fx * p11)
    return np.where(inside, np.trunc(value), 0).astype(np.int64)


def straighten(lane, image):
    polygon = lane["polygon"]
    origin = (min(polygon[0][0], polygon[3][0]), min(polygon[0][1], polygon[1][1]))
    width = lane["width"]
    if width == 1:
        pixels = line_samples([lane["top"], lane["bottom"]], image)
        return (len(pixels), 1), pixels
    top = (lane["top"][0] - origin[0], lane["top"][1] - origin[1])
    bottom = (lane["bottom"][0] - origin[0], lane["bottom"][1] - origin[1])
    dx, dy = bottom[0] - top[0], bottom[1] - top[1]
    theta = -math.atan2(dx, dy)
    d1 = dx * math.sin(-theta) + dy * math.cos(-theta)
    length = lane["length"]
    map_x = np.full((length, width), -1.0)
    map_y = np.full((length, width), -1.0)
    if width > 1 and length > 0:
        hx, hy = (width / 2.0) * math.cos(theta), (width / 2.0) * math.sin(theta)
        tm, tp = (top[0] - hx, top[1] - hy), (top[0] + hx, top[1] + hy)
        bm, bp = (bottom[0] - hx, bottom[1] - hy), (bottom[0] + hx, bottom[1] + hy)
        affine((tm, bm, tp), ((0.0, width), (d1, width), (0.0, 0.0)), map_x, map_y)
        affine((bm, bp, tp), ((d1, width), (d1, 0.0), (0.0, 0.0)), map_x, map_y)
    map_x = smooth(map_x)
    map_y = smooth(map_y)
    values = sample(image, origin, map_x, map_y)
    return (length, width), [int(v) for v in values.T.reshape(-1)]


def profile(size, pixels, table, average):
    columns, rows = size
    levels = np.asarray(pixels, dtype=np.int64).reshape(rows, columns)
    sums = np.zeros(columns)
    for r in range(rows):
        sums = sums + table[levels[r]]
    if average and rows > 0:
        sums = sums / rows
    return sums


def main():
    with open(sys.argv[1]) as f:
        data = json.load(f)
    img = data["image"]
    image = np.asarray(img["pixels"], dtype=np.int64).reshape(img["height"], img["width"])
    grey = np.arange(65536, dtype=float)
    table = grey * data["table"]["a"] + np.sqrt(grey) * data["table"]["b"]
    lanes = []
    for lane in data["lanes"]:
        size, pixels = straighten(lane, image)
        lanes.append({"size": list(size), "pixels": pixels,
                      "profile": [float(v) for v in profile(size, pixels, table, lane["average"])]})
    lines = [{"pixels": line_samples(points, image)} for points in data["lines"]]
    json.dump({"lanes": lanes, "lines": lines}, sys.stdout)


if __name__ == "__main__":
    main()
