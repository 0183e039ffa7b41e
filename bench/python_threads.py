#!/usr/bin/python3
"""Two volumes etched one after the other, then at once in two Python threads, by the module cellforge.

Each engine is held to one thread (cellforge.set_threads(1)), so on two cores the two threads should take
about half the time of the two runs in a row: the engines run without the GIL. Prints both times, their
ratio and the process's CPU time per wall second during the threaded runs (near 2 when they overlap).

    PYTHONPATH=build/python /usr/bin/python3 bench/python_threads.py [--size N] [--depth D]
"""
import argparse
import threading
import time

import cellforge


def block(n):
    volume = cellforge.Volume(n, n, n)
    volume.states[:, :, : n // 2] = 1
    return volume


def etch(volume, depth):
    volume.run("Si Wet Etching", etch_model="CCA", depth=depth, wafer_orientation="100", flat_angle=0.0,
               cell_size=1.0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--size", type=int, default=120)
    parser.add_argument("--depth", type=int, default=50)
    args = parser.parse_args()
    cellforge.set_threads(1)

    volumes = [block(args.size), block(args.size)]
    began = time.perf_counter()
    for volume in volumes:
        etch(volume, args.depth)
    one_after_the_other = time.perf_counter() - began

    volumes = [block(args.size), block(args.size)]
    threads = [threading.Thread(target=etch, args=(volume, args.depth)) for volume in volumes]
    began, cpu = time.perf_counter(), time.process_time()
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    at_once = time.perf_counter() - began
    cpu = time.process_time() - cpu

    print("python_threads: %d^3, CCA etch depth %d, engines on 1 thread each" % (args.size, args.depth))
    print("  one after the other  %.3f s" % one_after_the_other)
    print("  two threads at once  %.3f s  (%.2fx faster, %.2f CPU seconds per second)"
          % (at_once, one_after_the_other / at_once, cpu / at_once))


if __name__ == "__main__":
    main()
