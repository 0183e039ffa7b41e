"""Exports from Python: the files cellforge-batch writes."""
import numpy as np
import pytest

import cellforge
from conftest import ISOTROPIC_DEPOSITION, material, run_batch, write_list


def ridge():
    volume = cellforge.Volume(10, 8, 8)
    volume.states[:, :, :3] = 1
    volume.states[3:6, 2:6, 3:5] = 1
    return volume


def test_exports_are_the_command_lines(tmp_path, read_bytes):
    ridge().save(str(tmp_path / "input.cfw"))
    film = write_list(tmp_path / "film.plst",
                      [(ISOTROPIC_DEPOSITION, material("Material", "Poly-Si", 16) + [("Film Thickness", "float", "1")])])
    result = run_batch(film, "--input", tmp_path / "input.cfw", "--export-vti", tmp_path / "batch.vti",
                       "--export-surface", tmp_path / "batch.stl", "--surface", "marching-cubes")
    assert result.returncode == 0, result.stderr
    volume = ridge()
    volume.run("Isotropic Deposition", film_thickness=1, material="Poly-Si")
    volume.export_vti(str(tmp_path / "python.vti"))
    triangles = volume.export_surface(str(tmp_path / "python.stl"), algorithm="marching-cubes")
    assert read_bytes(tmp_path / "python.vti") == read_bytes(tmp_path / "batch.vti")
    stl = read_bytes(tmp_path / "python.stl")
    assert stl == read_bytes(tmp_path / "batch.stl")
    # Binary STL: an 80-byte header, the count, 50 bytes a triangle.
    assert triangles > 0 and int.from_bytes(stl[80:84], "little") == triangles and len(stl) == 84 + 50 * triangles


def test_the_vti_holds_the_states(tmp_path):
    vtk = pytest.importorskip("vtk")
    from vtk.util.numpy_support import vtk_to_numpy
    volume = ridge()
    volume.export_vti(str(tmp_path / "ridge.vti"))
    reader = vtk.vtkXMLImageDataReader()
    reader.SetFileName(str(tmp_path / "ridge.vti"))
    reader.Update()
    image = reader.GetOutput()
    data = image.GetCellData().GetArray(0) if image.GetCellData().GetNumberOfArrays() else image.GetPointData().GetArray(0)
    values = vtk_to_numpy(data)
    # VTK runs x fastest: the (nx, ny, nz) array read in Fortran order.
    assert np.array_equal(values, volume.states.ravel(order="F"))


def test_export_errors(tmp_path):
    volume = ridge()
    with pytest.raises(ValueError, match=r'^algorithm takes cubic, marching-cubes, octree, not "smooth"\.$'):
        volume.export_surface(str(tmp_path / "x.stl"), algorithm="smooth")
    path = str(tmp_path / "missing" / "x.vti")
    with pytest.raises(OSError) as caught:
        volume.export_vti(path)
    assert caught.value.filename == path and path in str(caught.value)
