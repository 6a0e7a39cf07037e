#!/usr/bin/python3
"""Independent lane profiles for tst_kylaneprofiles.

Input (JSON file named on the command line):
  {"tables": [[65536 values], ...],
   "cases": [{"width": w, "height": h, "pixels": [w*h grey levels, row-major, top row first],
              "table": index into tables,
              "frame": {"count": n, "ratio": r, "corners": [tlx, tly, trx, try, blx, bly, brx, bry]}},
             ...]}
Output (JSON on stdout), per case:
  {"profiles": [[values of lane 0], [values of lane 1], ...],   (lanes after a lane of no
                                                               length are left out)
   "saturated": [[0 or 1 per point of lane 0], ...],
   "runs": [[[first, last], ...] per lane]}

The lane geometry, the bilinear sample and the profile are computed here from their
definitions, all sample points of a lane at once with numpy.
"""
import json
import math
import sys

import numpy as np

INT_MIN = -2**31
INT_MAX = 2**31 - 1


def to_int(v):
    """int(v): truncation toward zero, held inside the int range; NaN gives 0."""
    if math.isnan(v):
        return 0
    if v >= INT_MAX:
        return INT_MAX
    if v <= INT_MIN:
        return INT_MIN
    return int(v)


def nearest(v):
    """int(v + 0.5), the conversion of lane geometry."""
    return to_int(v + 0.5)


class Frame:
    def __init__(self, stored):
        self.count = stored["count"]
        self.ratio = stored["ratio"]
        c = stored["corners"]
        self.tl = (c[0], c[1])
        self.tr = (c[2], c[3])
        self.bl = (c[4], c[5])
        self.br = (c[6], c[7])

    def _centre(self, left, right, lane):
        k = 2 * lane + 1
        twice = 2.0 * self.count
        x = left[0] + ((right[0] - left[0]) / twice) * k
        y = left[1] + ((right[1] - left[1]) / twice) * k
        return nearest(x), nearest(y)

    def top(self, lane):
        return self._centre(self.tl, self.tr, lane)

    def bottom(self, lane):
        return self._centre(self.bl, self.br, lane)

    def length(self, lane):
        t, b = self.top(lane), self.bottom(lane)
        dx, dy = b[0] - t[0], b[1] - t[1]
        return nearest(math.sqrt(dx * dx + dy * dy))

    def width(self):
        dx, dy = self.tr[0] - self.tl[0], self.tr[1] - self.tl[1]
        return max(0, nearest(math.sqrt(dx * dx + dy * dy) / self.count * self.ratio))

    def across(self):
        """Unit vector along the top edge; (1, 0) for an edge of no length."""
        dx, dy = self.tr[0] - self.tl[0], self.tr[1] - self.tl[1]
        length = math.sqrt(dx * dx + dy * dy)
        if length == 0.0:
            return 1.0, 0.0
        return dx / length, dy / length


def integral(v, i):
    """v equals the whole number i, compared with a relative tolerance of 1e-12."""
    return (v == i) | (np.abs(v - i) * 1e12 <= np.minimum(np.abs(v), np.abs(i)))


def bilinear(pixels, x, y):
    """Grey levels and saturation flags of the image at the points (x, y)."""
    h, w = pixels.shape
    inside = (x >= 0.0) & (x <= w - 1) & (y >= 0.0) & (y <= h - 1)
    xs = np.where(inside, x, 0.0)
    ys = np.where(inside, y, 0.0)
    ix = np.trunc(xs).astype(np.int64)
    iy = np.trunc(ys).astype(np.int64)
    fx = xs - ix
    fy = ys - iy
    x_whole = integral(xs, ix.astype(float))
    y_whole = integral(ys, iy.astype(float))
    right = np.minimum(ix + 1, w - 1)
    below = np.minimum(iy + 1, h - 1)
    p00 = pixels[iy, ix].astype(float)
    p10 = pixels[iy, right].astype(float)
    p01 = pixels[below, ix].astype(float)
    p11 = pixels[below, right].astype(float)

    both = np.trunc((p00 * (1 - fx) + p10 * fx) * (1 - fy) + (p01 * (1 - fx) + p11 * fx) * fy + 0.5)
    down = np.trunc(p00 * (1 - fy) + p01 * fy + 0.5)
    along = np.trunc(p00 * (1 - fx) + p10 * fx + 0.5)
    grey = np.where(x_whole & y_whole, p00, np.where(x_whole, down, np.where(y_whole, along, both)))

    full = 65535.0
    sat00 = p00 == full
    sat_down = sat00 | (p01 == full)
    sat_along = sat00 | (p10 == full)
    sat_both = sat00 | (p10 == full) | (p01 == full) | (p11 == full)
    saturated = np.where(x_whole & y_whole, sat00,
                         np.where(x_whole, sat_down, np.where(y_whole, sat_along, sat_both)))
    grey = np.where(inside, grey, 0.0).astype(np.int64)
    return grey, saturated & inside


def lane_profile(pixels, table, frame, lane, length, ux, uy, half):
    t, b = frame.top(lane), frame.bottom(lane)
    ex, ey = b[0] - t[0], b[1] - t[1]
    j = np.arange(length + 1, dtype=np.int64)
    cx = t[0] + (ex * j).astype(float) / length
    cy = t[1] + (ey * j).astype(float) / length
    k = np.arange(half + 1, dtype=float)
    dx = k * ux
    dy = k * uy
    xs = np.concatenate([cx[:, None] + dx[None, :], cx[:, None] - dx[None, :]], axis=1)
    ys = np.concatenate([cy[:, None] + dy[None, :], cy[:, None] - dy[None, :]], axis=1)
    grey, saturated = bilinear(pixels, xs, ys)
    values = table[grey].sum(axis=1) / (2 * (half + 1))
    return values, saturated.any(axis=1)


def runs_of(flags):
    runs = []
    first = None
    for j, flag in enumerate(flags):
        if flag and first is None:
            first = j
        elif not flag and first is not None:
            runs.append([first, j - 1])
            first = None
    if first is not None:
        runs.append([first, len(flags) - 1])
    return runs


def run_case(case, tables):
    w, h = case["width"], case["height"]
    pixels = np.array(case["pixels"], dtype=np.int64).reshape(h, w)
    table = tables[case["table"]]
    frame = Frame(case["frame"])
    result = {"profiles": [], "saturated": [], "runs": []}
    if frame.count < 1 or w == 0:
        return result
    ux, uy = frame.across()
    half = frame.width() // 2
    for lane in range(frame.count):
        length = frame.length(lane)
        if length < 1:
            break
        values, flags = lane_profile(pixels, table, frame, lane, length, ux, uy, half)
        result["profiles"].append(values.tolist())
        result["saturated"].append([int(f) for f in flags])
        result["runs"].append(runs_of(flags))
    return result


def main():
    with open(sys.argv[1]) as f:
        data = json.load(f)
    tables = [np.array(t, dtype=float) for t in data["tables"]]
    for t in tables:
        assert t.shape == (65536,)
    out = {"cases": [run_case(c, tables) for c in data["cases"]]}
    json.dump(out, sys.stdout)


if __name__ == "__main__":
    main()
