#!/usr/bin/python3
"""Exact reference for the isotropic deposition benchmark case.

Builds the same trench volume as bench_engines (lower half silicon cut by eight trenches 16 cells
wide and 64 deep, for n = 256), deposits t = 16 with scipy's exact Euclidean distance transform,
prints the time it took and, when given the engine's result (bench_engines --write FILE), how many
cells differ.

    /usr/bin/python3 bench/edt_reference.py [--size N] [--thickness T] [ENGINE_RESULT]
"""
import argparse
import sys
import time

try:
    import numpy as np
    from scipy.ndimage import distance_transform_edt
except ImportError:
    print("edt_reference: scipy is not available here (Debian package python3-scipy, run with "
          "/usr/bin/python3); skipped.")
    sys.exit(0)

SILICON = 1
DEPOSITED = 3


def trench_volume(n):
    """States indexed [x, y, z], z vertical, as in bench_engines."""
    states = np.zeros((n, n, n), dtype=np.uint8)
    half, period, width, depth = n // 2, n // 8, n // 16, n // 4
    states[:, :, :half] = SILICON
    offsets = np.arange(n) % period
    start = (period - width) // 2
    in_trench = (offsets >= start) & (offsets < start + width)
    states[in_trench, :, half - depth:half] = 0
    return states


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--size", type=int, default=256)
    parser.add_argument("--thickness", type=float, default=16.0)
    parser.add_argument("engine_result", nargs="?")
    args = parser.parse_args()
    n, t = args.size, args.thickness

    states = trench_volume(n)
    empty = states == 0

    start, cpu_start = time.perf_counter(), time.process_time()
    distance = distance_transform_edt(empty)
    elapsed_ms = (time.perf_counter() - start) * 1000.0
    cpu_ms = (time.process_time() - cpu_start) * 1000.0
    # Squared distances between cell centres are whole numbers: compare them exactly.
    reached = empty & (np.rint(distance * distance) <= t * t)
    print(f"{n}x{n}x{n} trenches scipy distance_transform_edt t={t:g}: {elapsed_ms:.0f} ms (cpu {cpu_ms:.0f} ms), "
          f"{int(reached.sum())} cells reached")

    if args.engine_result:
        engine = np.fromfile(args.engine_result, dtype=np.uint8)
        if engine.size != n * n * n:
            print(f"edt_reference: {args.engine_result} holds {engine.size} cells, expected {n ** 3}")
            return 1
        engine = engine.reshape((n, n, n))
        filled = empty & (engine == DEPOSITED)
        differing = int((filled != reached).sum())
        untouched = int((engine[~empty] != states[~empty]).sum())
        print(f"cells differing from the engine: {differing} (filled by the engine only: "
              f"{int((filled & ~reached).sum())}, by the exact transform only: "
              f"{int((reached & ~filled).sum())}); substrate cells changed by the engine: {untouched}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
