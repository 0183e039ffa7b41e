"""Measurements and cross-sections from Python: the values and drawings of cellforge-batch."""
import json
import re

import pytest

import cellforge
from conftest import run_batch, write_list

MEASURE = 23


def ridge():
    """Three layers of silicon and a ridge x = 3..5, y = 2..5, two layers high (z = 3, 4)."""
    volume = cellforge.Volume(10, 8, 8)
    volume.states[:, :, :3] = 1
    volume.states[3:6, 2:6, 3:5] = 1
    return volume


def measure_step(name, kind, material="", x=0, y=0, z=0, axis="x", z1=0, z2=0):
    return (MEASURE, [("Name", "QString", name), ("Kind", "QString", kind), ("Material", "QString", material),
                      ("X", "uint", str(x)), ("Y", "uint", str(y)), ("Z", "uint", str(z)),
                      ("Axis", "QString", axis), ("Z1", "uint", str(z1)), ("Z2", "uint", str(z2))])


# name, kind, keywords of volume.measure, the value worked out by hand on the ridge (in cells).
CASES = [
    ("ridge thickness", "thickness", dict(material="Si", x=4, y=3), 5),
    ("ridge height", "height", dict(x=4, y=3), 5),
    ("field depth", "depth", dict(x=0, y=0), 2),
    ("ridge width", "width", dict(material="Si", x=4, y=3, z=3, axis="x"), 3),
    ("ridge wall", "sidewall-angle", dict(material="Si", x=4, y=3, axis="x", z1=3, z2=4), 90),
    ("silicon", "volume", dict(material="Si"), 10 * 8 * 3 + 3 * 4 * 2),
    ("air", "volume", dict(), 10 * 8 * 8 - (10 * 8 * 3 + 3 * 4 * 2)),
]


@pytest.mark.parametrize("cell_size", [None, 2.5])
def test_measurements_are_the_command_lines(tmp_path, cell_size):
    ridge().save(str(tmp_path / "ridge.cfw"))
    listed = write_list(tmp_path / "measure.plst", [measure_step(n, k, **w) for n, k, w, _ in CASES])
    extra = [] if cell_size is None else ["--cell-size-um", cell_size]
    result = run_batch(listed, "--input", tmp_path / "ridge.cfw", "--results", tmp_path / "r.json", *extra)
    assert result.returncode == 0, result.stderr
    with open(tmp_path / "r.json", encoding="utf-8") as f:
        batch = json.load(f)["measurements"]

    volume = cellforge.ProcessList.load(listed).run(cellforge.Volume.open(str(tmp_path / "ridge.cfw")))
    assert volume.results(cell_size_um=cell_size) == batch
    size = cell_size or 1
    for (name, kind, keywords, cells), row in zip(CASES, batch):
        value = volume.measure(kind, cell_size_um=cell_size, **keywords)
        assert type(value) is float and value == row["value"], name
        scale = 1 if kind == "sidewall-angle" or cell_size is None else size ** (3 if kind == "volume" else 1)
        assert value == pytest.approx(cells * scale), name


def test_a_material_by_name_identifier_or_material():
    volume = ridge()
    si = cellforge.material("Si")
    assert volume.measure("volume", material="Si") == volume.measure("volume", material=1) == \
        volume.measure("volume", material=si) == 264


def test_measure_errors_are_the_list_runners(tmp_path):
    volume = ridge()
    ridge().save(str(tmp_path / "ridge.cfw"))
    # The command line's text of a place outside the volume: "Step 1 (Measure) failed: ... (TEXT)".
    listed = write_list(tmp_path / "outside.plst", [measure_step("far", "height", x=10, y=0)])
    result = run_batch(listed, "--input", tmp_path / "ridge.cfw")
    assert result.returncode == 2
    text = re.search(r"Step 1 \(Measure\) failed: [^(]*\((.*)\)$", result.stderr, re.M).group(1)
    with pytest.raises(ValueError) as caught:
        volume.measure("height", x=10, y=0)
    assert str(caught.value) == text
    with pytest.raises(ValueError, match=r'^invalid: "Kind" is "diameter"; it must be one of thickness, '):
        volume.measure("diameter")
    with pytest.raises(ValueError, match=r'^invalid: "Axis" is "z"; it must be x or y\.$'):
        volume.measure("width", material="Si", x=4, y=3, z=3, axis="z")
    with pytest.raises(KeyError):
        volume.measure("volume", material="Unobtainium")
    with pytest.raises(ValueError, match="cell_size_um must be above 0"):
        volume.measure("height", cell_size_um=0)


@pytest.mark.parametrize("ending", ["svg", "png"])
def test_cross_sections_are_the_command_lines(tmp_path, read_bytes, ending):
    ridge().save(str(tmp_path / "ridge.cfw"))
    listed = write_list(tmp_path / "none.plst", [measure_step("air", "volume")])
    batch, python = tmp_path / ("batch." + ending), tmp_path / ("python." + ending)
    result = run_batch(listed, "--input", tmp_path / "ridge.cfw", "--cross-section", "y=3", batch,
                       "--cell-size-um", "2")
    assert result.returncode == 0, result.stderr
    ridge().cross_section("y", 3, str(python), cell_size_um=2)
    assert read_bytes(python) == read_bytes(batch)


def test_cross_section_errors(tmp_path):
    volume = ridge()
    with pytest.raises(ValueError, match=r'^axis takes "x" or "y", not "z"\.$'):
        volume.cross_section("z", 3, str(tmp_path / "a.svg"))
    with pytest.raises(ValueError, match=r'ending in \.svg or \.png, not ".*a\.pdf"'):
        volume.cross_section("y", 3, str(tmp_path / "a.pdf"))
    for index in (10, -1):
        with pytest.raises(ValueError, match=r"^The cross-section x = %d was not drawn: x = %d lies outside the cell "
                                             r"volume of 10 x 8 x 8 cells\.$" % (index, index)):
            volume.cross_section("x", index, str(tmp_path / "a.svg"))
    path = str(tmp_path / "missing" / "a.svg")
    with pytest.raises(OSError) as caught:
        volume.cross_section("y", 3, path)
    assert caught.value.filename == path and path in str(caught.value)
    assert not (tmp_path / "a.svg").exists()
