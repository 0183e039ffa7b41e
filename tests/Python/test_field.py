"""Data fields as numpy arrays, and the steps the module refuses."""
import numpy as np
import pytest

import cellforge
from conftest import run_batch, write_list
from test_seed import DOPING, doping_list, substrate

P_COUNTS = "Random Walk Particle Count Type P"


def csv_counts(path, shape):
    """The counts --export-csv writes: a block "X: x" per x, a line per y of "count ; " per z."""
    counts = np.zeros(shape, np.uint64)
    x = -1
    y = 0
    with open(path, encoding="ascii") as f:
        for line in f:
            if line.startswith("X: "):
                x, y = int(line[3:]), 0
            elif line.strip():
                values = [v for v in line.split(";") if v.strip()]
                counts[x, y, :] = [int(float(v)) for v in values]
                y += 1
    return counts


def test_particle_counts_are_the_exported_ones(tmp_path):
    substrate().save(str(tmp_path / "input.cfw"))
    result = run_batch(doping_list(tmp_path / "doping.plst"), "--input", tmp_path / "input.cfw", "--seed", 7,
                       "--export-csv", P_COUNTS, tmp_path / "counts.csv")
    assert result.returncode == 0, result.stderr
    volume = substrate()
    assert volume.fields == []
    volume.run("Random Walk Doping", seed=7, **DOPING)
    assert volume.fields == [P_COUNTS]
    counts = volume.field(P_COUNTS)
    assert counts.shape == volume.shape and counts.dtype == np.uint64
    assert np.array_equal(counts, csv_counts(tmp_path / "counts.csv", volume.shape))
    # Particles enter through the surface: the silicon below it counts some, the empty cells above none.
    assert counts[:, :, :6].sum() > 0 and counts[:, :, 6:].sum() == 0
    # A read-only copy: writing is refused, and a later step does not change it.
    with pytest.raises(ValueError):
        counts[0, 0, 0] = 1
    before = counts.copy()
    volume.run("Random Walk Doping", seed=8, **DOPING)
    assert np.array_equal(counts, before)


def test_a_missing_field_names_the_fields_there_are():
    volume = substrate()
    with pytest.raises(KeyError, match=r'the cell volume has no field "Flux" \(it has no data fields\)'):
        volume.field("Flux")
    volume.run("Random Walk Doping", seed=7, **DOPING)
    with pytest.raises(KeyError, match=r'the cell volume has no field "Flux" \(its fields: "%s"\)' % P_COUNTS):
        volume.field("Flux")


SAVE_IMAGE = 10


def test_save_image_steps_are_refused_before_any_step_runs(tmp_path):
    listed = write_list(tmp_path / "image.plst", [
        (16, [("Material", "QString", "Poly-Si"), ("Material_Id", "uint", "16"), ("Film Thickness", "float", "1")]),
        (SAVE_IMAGE, [("Filename", "QString", "view.png")])])
    volume = substrate()
    before = volume.states.copy()
    with pytest.raises(ValueError, match=r"^Step 2 \(Save Image\): images are drawn by the display library, which "
                                         r"the module does not load; run the list with cellforge-batch to save "
                                         r"them\.$"):
        cellforge.ProcessList.load(listed).run(volume)
    assert np.array_equal(volume.states, before)
    assert not (tmp_path / "view.png").exists()


LINE_OF_SIGHT_DEPOSITION = 20
FLUX = "Line-of-Sight Flux"


def test_line_of_sight_flux_is_the_exported_one(tmp_path):
    """The flux is kept for surface sites only: those read as --export-csv writes them, every other cell NaN."""
    def pillar():
        volume = cellforge.Volume(12, 12, 12)
        volume.states[:, :, :4] = 1
        volume.states[4:8, 4:8, 4:9] = 1
        return volume
    pillar().save(str(tmp_path / "input.cfw"))
    listed = write_list(tmp_path / "los.plst", [(LINE_OF_SIGHT_DEPOSITION, [
        ("Film Thickness", "double", "1"), ("Sticking Coefficient", "double", "0.5"),
        ("Source Exponent", "double", "1"), ("Material", "QString", "Poly-Si"), ("Material_Id", "uint", "16")])])
    result = run_batch(listed, "--input", tmp_path / "input.cfw", "--seed", 3, "--export-csv", FLUX,
                       tmp_path / "flux.csv")
    assert result.returncode == 0, result.stderr
    volume = pillar()
    volume.run("Line-of-Sight Deposition", film_thickness=1, sticking_coefficient=0.5, source_exponent=1,
               material="Poly-Si", seed=3)
    flux = volume.field(FLUX)
    assert flux.shape == volume.shape and flux.dtype == np.float64
    rows = np.loadtxt(tmp_path / "flux.csv", delimiter=",", skiprows=1, ndmin=2)
    assert len(rows) > 0 and np.count_nonzero(~np.isnan(flux)) == len(rows)
    for x, y, z, value in rows:
        assert flux[int(x), int(y), int(z)] == pytest.approx(value, rel=1e-6)
