#!/usr/bin/env python3
"""Reference figures for bench_layers: scipy's binary dilation and erosion with a 3x3x3 structure
and eight iterations on the same 256^3 trench volume (lower half silicon, eight trenches 16 wide
and 64 deep). Prints milliseconds per case; skips with a message when numpy or scipy is missing."""
import sys
import time

try:
    import numpy as np
    from scipy import ndimage
except ImportError as error:
    print(f"moore_reference: skipped, {error.name} is not installed (e.g. apt-get install python3-scipy)")
    sys.exit(0)

N = 256


def trench_volume():
    solid = np.zeros((N, N, N), dtype=bool)  # axes x, y, z as in the cell array
    solid[:, :, : N // 2] = True
    x = np.arange(N)
    trench = ((x % 32) >= 8) & ((x % 32) < 24)
    solid[np.ix_(trench, np.ones(N, dtype=bool), np.arange(N) >= 64)] = False
    return solid


def timed(name, function, volume):
    start = time.perf_counter()
    function(volume)
    print(f"{name:<40} {1000 * (time.perf_counter() - start):6.0f} ms")


structure = np.ones((3, 3, 3), dtype=bool)
volume = trench_volume()
timed("scipy binary_dilation n=8, 256^3", lambda v: ndimage.binary_dilation(v, structure, iterations=8), volume)
timed("scipy binary_erosion n=8, 256^3", lambda v: ndimage.binary_erosion(v, structure, iterations=8), volume)
