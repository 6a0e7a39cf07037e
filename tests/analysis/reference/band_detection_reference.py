#!/usr/bin/python3
"""Reference band detection for one lane profile (plain Python floats).

Usage:  /usr/bin/python3 band_detection_reference.py INPUT.json OUTPUT.json

INPUT.json:  {"cases": [{"name", "profile", "noisePercent", "edgePercent",
              "heightThreshold", "maxWidth", "minWidth", "minSideHeight",
              "ignored", "ratio1", "ratio2"}, ...]}
OUTPUT.json: {"results": [{"name": str, "bands": [[start, peak, end], ...]}, ...]}

Every expression below is evaluated in the order it is written, left to right,
so that threshold decisions match a straightforward double-precision
implementation bit for bit. No numpy here on purpose (its summation order
differs).

Developer notes: decisions taken where the algorithm leaves room
-----------------------------------------------------------------
 1. Profiles shorter than 17 points are never smoothed (the 17-point window
    would read outside the profile), whatever the noise percent: s is the
    profile and d its first difference.
 2. Sign-change share of an empty difference vector is 0 (no division by 0).
    The share is count / n with n the full size of d (last entry included).
 3. The sign-change test multiplies d[i] * d[i+1] and compares the product
    with 0, as written; a product that underflows to 0 therefore counts as a
    change (same as a direct double implementation would do).
 4. Smoothing clips interior values with "if v < 0: v = 0.0"; a result of
    -0.0 is left as it is (it compares equal to 0 everywhere it is used).
    Edge values (first and last 8) are never clipped.
 5. Valley merge: values[E] / h > 0.95 is only evaluated when h > 0; for
    h <= 0 the two bands are not merged. h is the larger of the two peak
    values. When the later peak is not lower (>=) the earlier peak loses its
    peak mark, otherwise the later one does. After a merge the surviving
    peak and the later band's end act as "previous band" for the next
    comparison.
 6. Shape filter ratio = larger side / smaller side; a smaller side that is
    exactly 0 (including both sides 0) gives +inf. A negative smaller side
    is divided literally (gives a non-positive ratio); this does not occur
    with well-formed marks but is kept deterministic.
 7. Shape filter with a pending band: the current band is removed first,
    then the pending band (which lies entirely before it, so its stored
    entry positions are still valid); the walk resumes at the pending
    band's start position. Otherwise it resumes at the removed band's start
    position. "Resume at position p" means the next start search begins at
    list position p, inclusive (whatever entry now occupies it).
 8. All band searches (valley merge, shape filter, edge refinement, band
    building) use: start = first entry at or after the resume position with
    mark & 1; peak = first entry after the start with mark == 4; end = first
    entry after the peak with mark & 2. The next start search begins at the
    end entry itself (so a shared boundary with mark 3 is both the end of
    one band and the start of the next).
 9. Edge refinement: when a shared boundary (mark 3) is split because the
    following band's start moves, the boundary stays in the output with
    mark 3 (it was already emitted as the previous band's end); the inserted
    start (mark 1) follows it. The final band building therefore starts that
    band at the boundary, not at the inserted start. Kept literally.
10. Edge refinement emits a band's start unless the last emitted entry has
    the same profile index; with nothing emitted yet the start is emitted.
    A dropped band (height filter) turns a last emitted mark 3 into 2.
11. Edge scans: the left scan stops at the first x (from the start index
    upwards, x < peak index) with s[x] >= level; reaching the peak index
    means no move. The right scan mirrors it downwards (x > peak index).
    level = v_edge + (v_peak - v_edge) * edgePercent / 100, evaluated as
    ((v_peak - v_edge) * edgePercent) / 100 then added to v_edge.
12. The smoothing decision is noisePercent / 100 <= share (100.0 as the
    divisor, a double division).
13. Turning-point marks: the "at least two marks" conditions are taken
    literally (a single existing peak mark is never removed or moved).
14. The 'ignored' argument is accepted and not used. There is no limit on
    the number of bands returned.
"""

import json
import math
import sys

# Interior 17-point quadratic/cubic Savitzky-Golay weights (times 323),
# centre first, then the symmetric pairs at distance 1..8.
SG17_CENTRE = 43
SG17_PAIRS = (42, 39, 34, 27, 18, 7, -6, -21)
SG17_NORM = 323

MARK_START = 1
MARK_END = 2
MARK_VALLEY = 3
MARK_PEAK = 4


# ---------------------------------------------------------------------------
# Helpers
# ---------------------------------------------------------------------------

def difference(y, d):
    """d[i] = y[i+1] - y[i] for i = 0 .. len(y) - 2; other entries untouched."""
    for i in range(len(y) - 1):
        d[i] = y[i + 1] - y[i]


def sign_change_share(d):
    """Share of sign changes of a difference vector (0 for an empty one)."""
    n = len(d)
    if n == 0:
        return 0.0
    count = 0
    for i in range(n - 2):  # i = 0 .. n - 3
        a = d[i]
        b = d[i + 1]
        if not (a == 0.0 and b == 0.0) and a * b <= 0.0:
            count += 1
    return count / n


def smooth_sg17(y):
    """17-point Savitzky-Golay smoothing with point-reflected edges.

    Requires len(y) >= 17. Returns a new list.
    """
    n = len(y)
    if n < 17:
        raise ValueError("smooth_sg17 needs at least 17 points")
    s = [0.0] * n

    # Interior.
    for i in range(8, n - 8):  # i = 8 .. n - 9
        v = (43 * y[i]
             + 42 * (y[i - 1] + y[i + 1])
             + 39 * (y[i - 2] + y[i + 2])
             + 34 * (y[i - 3] + y[i + 3])
             + 27 * (y[i - 4] + y[i + 4])
             + 18 * (y[i - 5] + y[i + 5])
             + 7 * (y[i - 6] + y[i + 6])
             - 6 * (y[i - 7] + y[i + 7])
             - 21 * (y[i - 8] + y[i + 8])) / 323
        if v < 0:
            v = 0.0
        s[i] = v

    # First 8 points: running 17-point mean, reflected about y[0].
    S = 17 * y[0]
    for i in range(8):
        s[i] = S / 17
        S = S - (2 * y[0] - y[8 - i]) + y[i + 9]

    # Last 8 points: running 17-point mean, reflected about y[N].
    N = n - 1
    S = y[N - 16]
    for k in range(N - 15, N + 1):
        S = S + y[k]
    for j in range(N - 7, N + 1):
        S = S - y[j - 9] + (2 * y[N] - y[2 * N - 8 - j])
        s[j] = S / 17

    return s


def smoothing_decision(profile, noise_percent):
    """Return (s, d, smoothed) for a profile.

    d has the profile's length with its last entry 0.
    """
    y = [float(v) for v in profile]
    n = len(y)
    d = [0.0] * n
    difference(y, d)
    share = sign_change_share(d)
    if n >= 17 and noise_percent / 100 <= share:
        s = smooth_sg17(y)
        d = [0.0] * n
        difference(s, d)
        return s, d, True
    return y, d, False


# ---------------------------------------------------------------------------
# Working lists: values, indices, marks (kept as three parallel lists)
# ---------------------------------------------------------------------------

def _find(marks, pos, wanted):
    """The first entry position from pos on whose mark passes wanted, or -1."""
    for e in range(pos, len(marks)):
        if wanted(marks[e]):
            return e
    return -1


def _next_band(marks, pos):
    """(start, peak, end) entry positions from pos on, or None."""
    a = _find(marks, pos, lambda m: m & MARK_START)
    if a < 0:
        return None
    b = _find(marks, a + 1, lambda m: m == MARK_PEAK)
    if b < 0:
        return None
    c = _find(marks, b + 1, lambda m: m & MARK_END)
    if c < 0:
        return None
    return a, b, c


def mark_turning_points(s, d):
    """One pass over d; returns (values, indices, marks)."""
    values = []
    indices = []
    marks = []

    def add(i, m):
        values.append(s[i])
        indices.append(i)
        marks.append(m)

    def pop():
        values.pop()
        indices.pop()
        marks.pop()

    sigma = 0
    for i in range(len(d)):
        v = d[i]
        if v == 0.0 and sigma == 0:
            pass
        elif (v > 0 and sigma > 0) or (v < 0 and sigma < 0):
            pass
        elif v > 0 and sigma < 0:
            add(i, MARK_VALLEY)
        elif v > 0 and sigma == 0:
            if len(marks) >= 2 and marks[-1] == MARK_PEAK:
                pop()
            else:
                add(i, MARK_START)
        elif (v == 0.0 and sigma > 0) or (v < 0 and sigma >= 0):
            if len(marks) >= 2 and marks[-1] == MARK_END:
                pop()
            elif len(marks) >= 2 and marks[-1] == MARK_PEAK:
                k = (indices[-1] + i) // 2
                indices[-1] = k
                values[-1] = s[k]
            else:
                add(i, MARK_PEAK)
        elif v == 0.0 and sigma < 0:
            add(i, MARK_END)

        if v > 0:
            sigma = 1
        elif v < 0:
            sigma = -1
        else:
            sigma = 0
    return values, indices, marks


def merge_valleys(values, indices, marks):
    """Merge bands separated by a valley above 95 % of the higher peak (in place)."""
    prev = None  # (peak entry, end entry) of the previous (possibly merged) band
    pos = 0
    while True:
        band = _next_band(marks, pos)
        if band is None:
            break
        a, b, c = band
        if prev is None:
            prev = (b, c)
        else:
            P, E = prev
            Q = b
            vp = values[P]
            vq = values[Q]
            h = vq if vp < vq else vp
            if h > 0 and values[E] / h > 0.95:
                marks[E] &= ~MARK_END
                marks[a] &= ~MARK_START
                if vq < vp:
                    marks[Q] &= ~MARK_PEAK
                    prev = (P, c)
                else:
                    marks[P] &= ~MARK_PEAK
                    prev = (Q, c)
            else:
                prev = (b, c)
        pos = c


def _remove_band(values, indices, marks, a, c):
    """Remove the band with start entry a and end entry c (a < c)."""
    del values[a + 1:c]
    del indices[a + 1:c]
    del marks[a + 1:c]
    c = a + 1
    if marks[c] == MARK_VALLEY:
        marks[c] = MARK_START
    else:
        del values[c]
        del indices[c]
        del marks[c]
    if marks[a] == MARK_VALLEY:
        marks[a] = MARK_END
    else:
        del values[a]
        del indices[a]
        del marks[a]


def _side_ratio(rise, fall):
    larger = fall if rise < fall else rise
    smaller = rise if rise < fall else fall
    if smaller == 0.0:
        return math.inf
    return larger / smaller


def shape_filter(values, indices, marks, min_side_height, ratio1, ratio2):
    """Remove low-sided and lopsided bands (in place)."""
    theta = ratio1
    pending = None  # (start entry, end entry)
    pos = 0
    while True:
        band = _next_band(marks, pos)
        if band is None:
            break
        a, b, c = band
        rise = values[b] - values[a]
        fall = values[b] - values[c]
        ratio = _side_ratio(rise, fall)
        smaller = rise if rise < fall else fall
        if ratio > theta:
            _remove_band(values, indices, marks, a, c)
            resume = a
            if ratio > ratio1 and pending is not None:
                pa, pc = pending
                _remove_band(values, indices, marks, pa, pc)
                resume = pa
            pending = None
            theta = ratio2 if rise < fall else ratio1
            pos = resume
        elif smaller < min_side_height:
            _remove_band(values, indices, marks, a, c)
            theta = ratio1
            pending = None
            pos = a
        elif ratio > ratio2 and rise < fall:
            pending = (a, c)
            theta = ratio1
            pos = c
        else:
            theta = ratio1
            pending = None
            pos = c


def refine_edges(s, values, indices, marks, edge_percent, height_threshold):
    """Height filter and edge refinement. Returns new (values, indices, marks)."""
    cv = list(values)
    ci = list(indices)
    cm = list(marks)
    ov = []
    oi = []
    om = []

    def emit(e):
        ov.append(cv[e])
        oi.append(ci[e])
        om.append(cm[e])

    pos = 0
    while True:
        band = _next_band(cm, pos)
        if band is None:
            break
        a, b, c = band

        if cv[b] - cv[a] < height_threshold and cv[b] - cv[c] < height_threshold:
            if om and om[-1] == MARK_VALLEY:
                om[-1] = MARK_END
            pos = c
            continue

        # Left edge.
        start_e = a
        level = cv[a] + (cv[b] - cv[a]) * edge_percent / 100
        x = ci[a]
        while x < ci[b] and not (s[x] >= level):
            x += 1
        if x != ci[b]:
            if x != ci[a] and cm[a] == MARK_VALLEY:
                cv.insert(a + 1, s[x])
                ci.insert(a + 1, x)
                cm.insert(a + 1, MARK_START)
                start_e = a + 1
                b += 1
                c += 1
            else:
                ci[a] = x
                cv[a] = s[x]

        # Right edge.
        end_e = c
        level = cv[c] + (cv[b] - cv[c]) * edge_percent / 100
        x = ci[c]
        while x > ci[b] and not (s[x] >= level):
            x -= 1
        if x != ci[b]:
            if x != ci[c] and cm[c] == MARK_VALLEY:
                cm[c] = MARK_START
                cv.insert(c, s[x])
                ci.insert(c, x)
                cm.insert(c, MARK_END)
                end_e = c
                c += 1
            else:
                ci[c] = x
                cv[c] = s[x]

        if not (oi and oi[-1] == ci[start_e]):
            emit(start_e)
        emit(b)
        emit(end_e)
        pos = c
    return ov, oi, om


def build_bands(indices, marks, max_width, min_width):
    """List of (start, peak, end) profile indices within the width limits."""
    bands = []
    pos = 0
    while True:
        band = _next_band(marks, pos)
        if band is None:
            break
        a, b, c = band
        width = indices[c] - indices[a]
        if min_width <= width <= max_width:
            bands.append((indices[a], indices[b], indices[c]))
        pos = c
    return bands


def detect_bands(profile, noise_percent, edge_percent, height_threshold,
                 max_width, min_width, min_side_height, ignored, ratio1, ratio2):
    """Detect the bands of one lane profile; list of (start, peak, end)."""
    noise_percent = float(noise_percent)
    edge_percent = float(edge_percent)
    height_threshold = float(height_threshold)
    min_side_height = float(min_side_height)
    ratio1 = float(ratio1)
    ratio2 = float(ratio2)
    max_width = int(max_width)
    min_width = int(min_width)

    # 1. Smoothing decision.
    s, d, _ = smoothing_decision(profile, noise_percent)
    # 2. Turning points.
    values, indices, marks = mark_turning_points(s, d)
    # 3. Nothing marked.
    if not marks:
        return []
    # 4. Shallow valleys.
    merge_valleys(values, indices, marks)
    # 5. Shape filter.
    shape_filter(values, indices, marks, min_side_height, ratio1, ratio2)
    # 6. Height filter and edges.
    values, indices, marks = refine_edges(s, values, indices, marks,
                                          edge_percent, height_threshold)
    # 7. Bands.
    return build_bands(indices, marks, max_width, min_width)


# ---------------------------------------------------------------------------
# Command line
# ---------------------------------------------------------------------------

def run_case(case):
    bands = detect_bands(case["profile"], case["noisePercent"], case["edgePercent"],
                         case["heightThreshold"], case["maxWidth"], case["minWidth"],
                         case["minSideHeight"], case.get("ignored", 0),
                         case["ratio1"], case["ratio2"])
    return {"name": case["name"], "bands": [list(b) for b in bands]}


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: band_detection_reference.py INPUT.json OUTPUT.json\n")
        return 2
    with open(argv[1], "r", encoding="utf-8") as f:
        data = json.load(f)
    results = [run_case(c) for c in data["cases"]]
    with open(argv[2], "w", encoding="utf-8") as f:
        json.dump({"results": results}, f)
        f.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
