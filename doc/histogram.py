#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Example for the vidscope Python module: grabs one frame and prints its grey-level histogram.
"""Grabs one frame from a camera and prints the histogram of its grey levels.

usage: histogram.py [INDEX]

Without a camera at hand, a virtual one does (from a build tree):
    VIDSCOPE_VIRTUAL_CAMERAS=3120 PYTHONPATH=build/python python3 doc/histogram.py
"""
import sys

import numpy as np

import vidscope

BINS = 16
BAR_WIDTH = 50


def main(argv):
    index = int(argv[1]) if len(argv) > 1 else 0
    try:
        with vidscope.Camera(index) as cam:
            frame = cam.grab("gray")
            print(f"{cam.info.name}: {frame.shape[1]} x {frame.shape[0]}, "
                  f"exposure {cam.exposure} lines, gain {cam.gain / 16:g}x")
    except vidscope.CameraError as error:
        print(f"histogram.py: {error}; attached: {vidscope.cameras()}", file=sys.stderr)
        return 1
    counts, edges = np.histogram(frame, bins=BINS, range=(0, 256))
    peak = max(int(counts.max()), 1)
    for count, low in zip(counts, edges[:-1].astype(int)):
        bar = "#" * round(BAR_WIDTH * count / peak)
        print(f"{low:3d}..{low + 256 // BINS - 1:3d} {count:9d} {bar}")
    print(f"mean {frame.mean():.1f}, min {frame.min()}, max {frame.max()}, "
          f"{np.count_nonzero(frame == 255)} pixels at full scale")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
