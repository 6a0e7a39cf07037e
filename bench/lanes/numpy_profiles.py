#!/usr/bin/python3
"""numpy's time for the lane profiles of bench_lanes' frame 0: 25 lanes of 1844 rows over a
2046 x 3072 capture, each profile point the mean of 36 pixels across the lane (the centre pixel
counted twice), as the program's profile of straight lanes on whole pixel columns.

Prints the best of several runs in milliseconds."""
import timeit

import numpy as np

WIDTH, HEIGHT, LANES, RATIO = 2046, 3072, 25, 0.7


def half_up(v):
    return int(np.floor(v + 0.5)) if v >= 0 else -int(np.floor(-v + 0.5))


left, right = int(WIDTH * 0.2), int(WIDTH * 0.8)
top, bottom = int(HEIGHT * 0.2), int(HEIGHT * 0.8)
half = half_up((right - left) / LANES * RATIO) // 2
centres = [half_up(left + (right - left) / (2 * LANES) * (2 * k + 1)) for k in range(LANES)]

rng = np.random.default_rng(2046)
image = rng.integers(1200, 45000, size=(HEIGHT, WIDTH), dtype=np.uint16)


def profiles():
    out = []
    for cx in centres:
        block = image[top:bottom + 1, cx - half:cx + half + 1]
        total = np.add.reduce(block, axis=1, dtype=np.float64) + image[top:bottom + 1, cx]
        out.append(total / (2 * (half + 1)))
    return out


best = min(timeit.repeat(profiles, number=20, repeat=7)) / 20
print(f"numpy lane profiles, frame 0: {best * 1e3:.3f} ms ({LANES} lanes x {bottom - top + 1} points x {2 * (half + 1)} samples)")
