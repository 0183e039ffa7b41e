#!/usr/bin/python3
"""Releases an oxide cantilever in KOH, sweeps the bath time and plots the etch depth against time.

Runs examples/koh_cantilever_release.plst (an oxide beam on silicon, released by KOH 30 wt % at 70 °C)
through the module cellforge: once as it is (15 min), measured with volume.measure and drawn as a
cross-section, then for several bath times with ProcessList.sweep. Prints one line per time and plots the
depth against time with the published rate beside it (0.797 µm/min, Sato et al. 1998, for Si(100)).

    PYTHONPATH=build/python /usr/bin/python3 examples/python/koh_etch_sweep.py [--times 5 10 15] [--plot depth.png]

The rows of the sweep are dicts, ready for pandas.DataFrame(rows) when pandas is installed.
"""
import argparse
import os

import cellforge

HERE = os.path.dirname(os.path.abspath(__file__))
LIST = os.path.join(HERE, "..", "koh_cantilever_release.plst")
ETCH_TIME = "7.Etch Time"  # step 7 is the KOH bath ("Si Wet Etching")
SURFACE = 30               # the silicon's top layer count before the bath (the list's substrate)
OPEN = dict(x=90, y=10)    # a column the mask leaves open: the bath etches it from the start
TIP = dict(x=78, y=50)     # under the beam, near its free end
RATE_UM_PER_MIN = 0.797    # Si(100) in KOH 30 wt %, 70 °C (Sato et al. 1998)
CELL_UM = 1.0              # the list's cells are 1 µm


def measure(volume):
    """The etch depth of the open silicon and what is left of the silicon under the beam's tip, in µm, and
    the oxide cells of the beam's layer with nothing below them (numpy over the cells)."""
    depth = SURFACE * CELL_UM - volume.measure("height", cell_size_um=CELL_UM, **OPEN)
    under_tip = volume.measure("thickness", material="Si", cell_size_um=CELL_UM, **TIP)
    states = volume.states
    oxide = states[:, :, SURFACE] == cellforge.material("Thermal Si02").id
    released = oxide & (states[:, :, SURFACE - 1] == 0)
    return {"depth (µm)": depth, "Si under the tip (µm)": under_tip, "released oxide (cells)": int(released.sum())}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--times", type=float, nargs="+", default=[5, 10, 15], help="minutes in the bath")
    parser.add_argument("--plot", default="koh_etch_depth.png", help="the PNG to write")
    args = parser.parse_args()
    folder = os.path.dirname(os.path.abspath(args.plot))

    steps = cellforge.ProcessList.load(LIST)
    # The released cantilever as the list makes it, and a cut across the beam.
    cantilever = steps.run()
    print("cantilever: %s" % ", ".join("%s=%g" % item for item in measure(cantilever).items()))
    section = os.path.join(folder, "koh_cantilever_x60.svg")
    cantilever.cross_section("x", 60, section, cell_size_um=CELL_UM)
    print("cross-section=%s" % section)

    # One run per bath time: a row per time with the swept value and the measurements.
    rows = steps.sweep([{ETCH_TIME: t} for t in args.times], measure=measure)
    for row in rows:
        print("etch_time=%g min depth=%g um released_oxide_cells=%d"
              % (row[ETCH_TIME], row["depth (µm)"], row["released oxide (cells)"]))

    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    times = [row[ETCH_TIME] for row in rows]
    figure, axes = plt.subplots(figsize=(5, 3.5))
    axes.plot(times, [row["depth (µm)"] for row in rows], "o-", label="Cellforge (cells of 1 µm)")
    axes.plot([0, max(times)], [0, RATE_UM_PER_MIN * max(times)], "--", label="0.797 µm/min (Sato 1998)")
    axes.set_xlabel("time in KOH 30 wt %, 70 °C (min)")
    axes.set_ylabel("etch depth (µm)")
    axes.legend()
    figure.tight_layout()
    figure.savefig(args.plot, dpi=100)
    print("plot=%s" % args.plot)


if __name__ == "__main__":
    main()
