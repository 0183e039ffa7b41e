"""Volumes, their cells as numpy arrays, documents and the material catalogue."""
import numpy as np
import pytest

import cellforge
from conftest import run_batch


def test_version_is_the_programs():
    assert run_batch("--version").stdout == "cellforge-batch %s\n" % cellforge.__version__


def test_states_are_the_cells_and_a_write_shows_in_the_saved_document(tmp_path):
    volume = cellforge.Volume(4, 3, 2)
    states = volume.states
    assert states.shape == (4, 3, 2) and states.dtype == np.uint16 and not states.any()
    states[1, 2, 0] = 16
    states[3, 0, 1] = 1
    # A new array over the same cells sees the writes: there is no copy.
    assert volume.states[1, 2, 0] == 16 and volume.states.sum() == 17
    path = tmp_path / "written.cfw"
    volume.save(str(path))
    opened = cellforge.Volume.open(str(path)).states
    expected = np.zeros((4, 3, 2), np.uint16)
    expected[1, 2, 0] = 16
    expected[3, 0, 1] = 1
    assert np.array_equal(opened, expected)


def test_states_outlive_their_volume():
    states = cellforge.Volume(2, 2, 2).states
    states[:] = 3
    assert int(states.sum()) == 24


def test_a_state_beyond_the_catalogue_is_refused_and_nothing_is_written(tmp_path):
    volume = cellforge.Volume(3, 3, 3)
    volume.states[2, 1, 0] = 40000
    path = tmp_path / "refused.cfw"
    with pytest.raises(ValueError, match=r"^Cell \(2, 1, 0\) holds state 40000; states go up to 32766\.$"):
        volume.save(str(path))
    assert not path.exists()
    with pytest.raises(ValueError, match="holds state 40000"):
        volume.run("Isotropic Deposition", film_thickness=1, material="Si")


def test_cell_size_and_shape():
    volume = cellforge.Volume(5, 6, 7, cell_size_um=0.5)
    assert volume.shape == (5, 6, 7) and volume.cell_size_um == 0.5
    assert cellforge.Volume(1, 1, 1).cell_size_um == 1.0
    with pytest.raises(ValueError):
        cellforge.Volume(1, 1, 1, cell_size_um=0)
    with pytest.raises(ValueError):
        cellforge.Volume(0, 4, 4)


@pytest.mark.parametrize("key, identifier, name", [("Poly-Si", 16, "Poly-Si"), (1, 1, "Si"),
                                                   ("Thermal Si02", 3, "Thermal Si02")])
def test_materials_by_name_and_identifier(key, identifier, name):
    # The built-in catalogue (this test's HOME has none), as the example lists carry it.
    found = cellforge.material(key)
    assert (found.id, found.name) == (identifier, name)
    assert found in cellforge.materials()


def test_the_catalogue_and_unknown_materials():
    assert [m.id for m in cellforge.materials()] == [1] + list(range(3, 19))
    assert cellforge.material("Si").density == 2329.0
    with pytest.raises(KeyError, match="no material \"Unobtainium\""):
        cellforge.material("Unobtainium")
    with pytest.raises(KeyError, match="identifier 2"):
        cellforge.material(2)


def test_opening_a_missing_document_names_it(tmp_path):
    path = str(tmp_path / "missing.cfw")
    with pytest.raises(FileNotFoundError) as caught:
        cellforge.Volume.open(path)
    assert caught.value.filename == path and path in str(caught.value)


def test_a_file_that_is_no_document_is_refused(tmp_path):
    path = tmp_path / "text.cfw"
    path.write_text("no document")
    with pytest.raises(ValueError, match="is not a readable Cellforge document"):
        cellforge.Volume.open(str(path))


def test_saving_into_a_missing_folder_names_the_file_and_the_reason(tmp_path):
    path = str(tmp_path / "no-folder" / "out.cfw")
    with pytest.raises(OSError) as caught:
        cellforge.Volume(2, 2, 2).save(path)
    assert caught.value.filename == path
    assert path in str(caught.value)


def test_help_reads_well():
    for function in (cellforge.Volume, cellforge.Volume.run, cellforge.Volume.save, cellforge.Volume.open,
                     cellforge.ProcessList.load, cellforge.ProcessList.run, cellforge.materials, cellforge.material,
                     cellforge.keywords, cellforge.set_threads):
        assert function.__doc__ and len(function.__doc__) > 40, function
    assert "32766" in cellforge.Volume.states.__doc__
