#!/usr/bin/python3
"""Sweeps the bath time of the KOH cantilever release and plots the etch depth against time.

Runs examples/koh_cantilever_release.plst (an oxide beam on silicon, released by KOH 30 wt % at 70 °C)
for several etch times through the module cellforge, measures in the cells how deep the open silicon
went and how much of the oxide has nothing under it any more, prints one line per time and plots the
depth against time with the published rate beside it (0.797 µm/min, Sato et al. 1998, for Si(100)).

    PYTHONPATH=build/python /usr/bin/python3 examples/python/koh_etch_sweep.py [--times 5 10 15] [--plot depth.png]
"""
import argparse
import os

import numpy as np

import cellforge

HERE = os.path.dirname(os.path.abspath(__file__))
LIST = os.path.join(HERE, "..", "koh_cantilever_release.plst")
SURFACE = 30          # the silicon's top layer count before the bath (the list's substrate)
RATE_UM_PER_MIN = 0.797  # Si(100) in KOH 30 wt %, 70 °C (Sato et al. 1998); cells are 1 µm


def measure(volume):
    """(depth of the deepest open silicon in cells, oxide cells of the layer above the silicon with nothing below)."""
    states = volume.states
    silicon = states == cellforge.material("Si").id
    # Highest silicon cell + 1 per column; 0 where a column has none.
    top = np.where(silicon.any(axis=2), states.shape[2] - np.argmax(silicon[:, :, ::-1], axis=2), 0)
    oxide = states[:, :, SURFACE] == cellforge.material("Thermal Si02").id
    released = oxide & (states[:, :, SURFACE - 1] == 0)
    return SURFACE - int(top.min()), int(released.sum())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--times", type=float, nargs="+", default=[5, 10, 15], help="minutes in the bath")
    parser.add_argument("--plot", default="koh_etch_depth.png", help="the PNG to write")
    args = parser.parse_args()

    steps = cellforge.ProcessList.load(LIST)
    rows = []
    for minutes in args.times:
        depth, released = measure(steps.run(overrides={"etch_time": minutes}))
        rows.append((minutes, depth, released))
        print("etch_time=%g min depth=%d um released_oxide_cells=%d" % (minutes, depth, released))

    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    times = [r[0] for r in rows]
    figure, axes = plt.subplots(figsize=(5, 3.5))
    axes.plot(times, [r[1] for r in rows], "o-", label="Cellforge (cells of 1 µm)")
    axes.plot([0, max(times)], [0, RATE_UM_PER_MIN * max(times)], "--", label="0.797 µm/min (Sato 1998)")
    axes.set_xlabel("time in KOH 30 wt %, 70 °C (min)")
    axes.set_ylabel("etch depth (µm)")
    axes.legend()
    figure.tight_layout()
    figure.savefig(args.plot, dpi=100)
    print("plot=%s" % args.plot)


if __name__ == "__main__":
    main()
