#!/usr/bin/python3
"""scikit-image's 1-D rolling ball (skimage.restoration.rolling_ball, Debian's python3-skimage) on
one thread over the 25 lane profiles of bench_lanes' frame 0, at the radii BM_RollingBall uses.

    bench_lanes --write-profiles=/tmp/profiles.f64
    skimage_rollingball.py /tmp/profiles.f64

Prints the best of several runs in milliseconds for all 25 lanes, comparable with
BM_RollingBall/frame:0/radius:R/threads:1."""
import sys
import timeit

import numpy as np
from skimage.restoration import rolling_ball

LANES = 25

profiles = np.fromfile(sys.argv[1], dtype=np.float64).reshape(LANES, -1)
for radius in (50, 495, 4950):
    def run():
        return [rolling_ball(p, radius=radius, num_threads=1) for p in profiles]
    best = min(timeit.repeat(run, number=3, repeat=5)) / 3
    print(f"scikit-image rolling_ball, one thread, radius {radius}: {best * 1e3:.2f} ms "
          f"({LANES} lanes x {profiles.shape[1]} points)")
