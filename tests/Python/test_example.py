"""The Python example: the KOH cantilever release measured, its bath time swept and plotted."""
import os
import re
import subprocess
import sys

import pytest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "python", "koh_etch_sweep.py")


def test_the_sweep_follows_the_published_rate_and_writes_its_plot(tmp_path):
    pytest.importorskip("matplotlib")
    plot = tmp_path / "depth.png"
    result = subprocess.run([sys.executable, SCRIPT, "--times", "5", "15", "--plot", str(plot)],
                            capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stderr
    rows = [tuple(map(float, m)) for m in
            re.findall(r"^etch_time=(\S+) min depth=(\S+) um released_oxide_cells=(\d+)$", result.stdout, re.M)]
    assert [r[0] for r in rows] == [5, 15]
    # Si(100) in KOH 30 wt % at 70 °C: 0.797 µm/min (Sato et al. 1998), cells of 1 µm: within a cell.
    for minutes, depth, _ in rows:
        assert abs(depth - 0.797 * minutes) <= 1.0, rows
    # The undercut frees more of the oxide beam the longer the bath.
    assert 0 < rows[0][2] < rows[1][2]
    # The list's own 15 minutes, measured on the released cantilever: the same depth as the sweep's row,
    # and the silicon under the beam's tip etched at least as deep as the open silicon, within a cell:
    # released. (Once free, the ridge under the beam is attacked from both sides by the fast planes and
    # may lie deeper than the open floor.)
    line = re.search(r"^cantilever: (.*)$", result.stdout, re.M).group(1)
    cantilever = {k: float(v) for k, v in (item.split("=") for item in line.split(", "))}
    assert cantilever["depth (µm)"] == rows[1][1]
    assert (30 - cantilever["Si under the tip (µm)"]) >= 0.797 * 15 - 1.0, cantilever
    with open(plot, "rb") as f:
        assert f.read(8) == b"\x89PNG\r\n\x1a\n"
    with open(tmp_path / "koh_cantilever_x60.svg", encoding="utf-8") as f:
        assert "<svg" in f.read()
