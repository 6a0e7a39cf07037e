#!/usr/bin/python3
"""Independent backgrounds for tst_backgroundsubtraction.

Input (JSON file named on the command line):
  {"cases": [{"profile": [...], "radii": [...], "percents": [...]}, ...]}
Output (JSON on stdout), per case:
  {"profile": the profile as read (to prove the transport lossless),
   "minimum": [...], "hull": [...],
   "rolling": [[...] per radius], "percent": [[...] per percent]}

- hull: the lower convex hull of the points (i, profile[i]), evaluated at every index.
- rolling: a ball of radius r samples rolled under the profile; the background runs straight
  between the points it touches.
- percent: a grey-scale opening of the profile with the ball as a non-flat structuring function
  (scipy.ndimage), clipped at 0.
"""
import json
import math
import sys

import numpy as np
import scipy.ndimage as ndimage

INT_MIN = -2**31
INT_MAX = 2**31 - 1


def to_int(v):
    """int(floor result), limited to the int range."""
    return min(INT_MAX, max(INT_MIN, v))


def ball_height(distance, largest, q, n, w):
    """Height of the ball above its rim at a distance from its centre (0 <= distance <= w)."""
    if distance == w:
        return 0.0
    if distance == 0:
        return float(to_int(math.floor(largest * q + 0.5)))
    t = distance / n
    return float(to_int(math.floor(largest * t * math.tan(math.acos(t / q)) + 0.5)))


def ball_table(profile, relative):
    """Ball heights for the distances that fit inside the profile, and the ball's half-width."""
    n = len(profile)
    largest = max(profile)
    w = max(0, int(n * relative - 1.0 + 0.5))
    reach = min(w, n - 1)
    heights = np.array([ball_height(d, largest, relative, n, w) for d in range(reach + 1)])
    return heights, w


def lower_hull(profile):
    points = []
    for x, y in enumerate(profile):
        while len(points) >= 2:
            (x0, y0), (x1, y1) = points[-2], points[-1]
            if (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0) <= 0:
                points.pop()
            else:
                break
        points.append((x, y))
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return np.interp(np.arange(len(profile)), xs, ys).tolist()


def fuzzy_equal(a, b):
    return np.abs(a - b) * 1e12 <= np.minimum(np.abs(a), np.abs(b))


def rolling_ball(profile, radius):
    n = len(profile)
    p = np.array(profile)
    heights, w = ball_table(profile, radius / n)
    touched = set()
    for pos in range(n):
        lo = max(0, pos - w)
        hi = min(n - 1, pos + w)
        ks = np.arange(lo, hi + 1)
        v = p[ks] - heights[np.abs(ks - pos)]
        # Walking the window in order, a strictly smaller value restarts the contact list and a
        # value equal to the current smallest (fuzzily) joins it. The walk therefore ends with the
        # first position of the smallest value and every later position fuzzily equal to it.
        first = int(np.argmin(v))
        touched.add(int(ks[first]))
        later = fuzzy_equal(v[first + 1:], v[first])
        touched.update(int(k) for k in ks[first + 1:][later])
    contacts = sorted(touched)
    background = np.zeros(n)
    if not contacts:
        return background.tolist()
    background[:contacts[0] + 1] = p[contacts[0]]
    for a, b in zip(contacts, contacts[1:]):
        js = np.arange(a + 1, b + 1)
        background[a + 1:b + 1] = (p[b] - p[a]) * (js - a) / (b - a) + p[a]
    background[contacts[-1] + 1:] = p[contacts[-1]]
    return background.tolist()


def rolling_ball_percent(profile, percent):
    heights, _ = ball_table(profile, percent / 100.0)
    structure = np.concatenate([heights[:0:-1], heights])
    p = np.array(profile)
    eroded = ndimage.grey_erosion(p, structure=structure, mode="constant", cval=np.inf)
    opened = ndimage.grey_dilation(eroded, structure=structure, mode="constant", cval=-np.inf)
    return np.maximum(opened, 0.0).tolist()


def main():
    with open(sys.argv[1]) as f:
        cases = json.load(f)["cases"]
    results = []
    for case in cases:
        profile = [float(v) for v in case["profile"]]
        results.append({
            "profile": profile,
            "minimum": [min(profile)] * len(profile),
            "hull": lower_hull(profile),
            "rolling": [rolling_ball(profile, r) for r in case["radii"]],
            "percent": [rolling_ball_percent(profile, q) for q in case["percents"]],
        })
    json.dump({"cases": results}, sys.stdout)


if __name__ == "__main__":
    main()
