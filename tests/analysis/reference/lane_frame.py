#!/usr/bin/python3
"""Independent lane-frame geometry for tst_kylaneframe.

Input (JSON file named on the command line): {"frames": [{"corners": [[x, y] x4 in the order
top-left, top-right, bottom-left, bottom-right], "count": n, "ratio": r}, ...]}.
Output (JSON on stdout): per frame the lane width, the top-edge direction and per lane the top
and bottom centre, the centre-line length and the four outline points.

Conventions: a coordinate becomes int(v + 0.5), Python's int() truncating toward zero. Frames with
a vertical or zero-length top edge are not given to this script.
"""
import json
import math
import sys


def half_up(v):
    return int(v + 0.5)


def edge_point(left, right, lane, count):
    k = 2 * lane + 1
    x = left[0] + ((right[0] - left[0]) / (2.0 * count)) * k
    y = left[1] + ((right[1] - left[1]) / (2.0 * count)) * k
    return [half_up(x), half_up(y)]


def geometry(frame):
    tl, tr, bl, br = frame["corners"]
    count = frame["count"]
    ratio = frame["ratio"]
    dx = tr[0] - tl[0]
    dy = tr[1] - tl[1]
    edge = math.sqrt(dx * dx + dy * dy)
    width = max(0, half_up(edge / count * ratio))
    angle = math.atan(dy / dx)
    h = width / 2.0
    lanes = []
    for lane in range(count):
        top = edge_point(tl, tr, lane, count)
        bottom = edge_point(bl, br, lane, count)
        ex = bottom[0] - top[0]
        ey = bottom[1] - top[1]
        length = half_up(math.sqrt(ex * ex + ey * ey))
        polygon = []
        for centre in (top, bottom):
            polygon.append([half_up(centre[0] - h / math.cos(angle)), half_up(centre[1] - math.sin(angle) * h)])
            polygon.append([half_up(centre[0] + h / math.cos(angle)), half_up(centre[1] + math.sin(angle) * h)])
        lanes.append({"top": top, "bottom": bottom, "length": length, "polygon": polygon})
    return {"width": width, "direction": [dx / edge, dy / edge], "lanes": lanes}


def main():
    with open(sys.argv[1]) as f:
        frames = json.load(f)["frames"]
    json.dump({"frames": [geometry(frame) for frame in frames]}, sys.stdout)


if __name__ == "__main__":
    main()
