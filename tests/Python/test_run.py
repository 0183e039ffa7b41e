"""Process steps from Python: the list runner's results, checks and messages."""
import numpy as np
import pytest

import cellforge
from conftest import (ANISOTROPIC_ETCHING, CVD, ISOTROPIC_DEPOSITION, ISOTROPIC_ETCHING, PHOTOLITHOGRAPHY,
                      SPIN_COATING, material, run_batch, substrate_keywords, substrate_step, write_list)


def test_a_film_on_a_flat_substrate():
    # Two layers of silicon, a film 2 cells thick: layers 2 and 3 become Poly-Si (16), the rest stays.
    volume = cellforge.Volume(10, 8, 6)
    volume.states[:, :, :2] = 1
    volume.run("Isotropic Deposition", film_thickness=2, material="Poly-Si")
    layers = [set(np.unique(volume.states[:, :, z]).tolist()) for z in range(6)]
    assert layers == [{1}, {1}, {16}, {16}, {0}, {0}]


# A stripe mask over x = 10..19 of a 30 x 20 volume: the list's bits i * height + j, i along x.
NX, NY, NZ = 30, 20, 16


def stripe_mask():
    mask = np.zeros((NX, NY), np.uint8)
    mask[10:20, :] = 1
    return mask


def mask_text(mask):
    return "".join(str(int(b)) for row in mask for b in row)


def flow_list(path, thickness=2.0):
    empty = [("Bottom Mask", "vector", ""), ("Bottom Mask Width", "uint", "0"), ("Bottom Mask Height", "uint", "0")]
    return write_list(path, [
        substrate_step(NX, NY, NZ, 8),
        (SPIN_COATING, material("Material", "Photoresist +", 11) + [("Maximum Height", "uint", "11")]),
        (PHOTOLITHOGRAPHY, material("Material", "Photoresist +", 11) + empty + [
            ("Top Mask", "vector", mask_text(stripe_mask())), ("Top Mask Width", "uint", str(NX)),
            ("Top Mask Height", "uint", str(NY))]),
        (ANISOTROPIC_ETCHING, material("Material", "Si", 1) + [("Etch Depth", "double", "4"),
                                                               ("Horizontal to Vertical Ratio", "double", "0")]),
        (ISOTROPIC_ETCHING, material("Material", "Photoresist +", 11) + [("Depth", "double", "6")]),
        (CVD, material("Material", "Thermal Si02", 3) + [("Thickness", "double", "%g" % thickness)]),
    ])


def python_flow(thickness=2.0):
    volume = cellforge.Volume.create_substrate(**substrate_keywords(NX, NY, NZ, 8))
    volume.run("Spin Coating", material="Photoresist +", maximum_height=11)
    volume.run("Photolithography", material="Photoresist +", top_mask=stripe_mask(),
               bottom_mask=np.zeros((0, 0), np.uint8))
    volume.run("Anisotropic Etching", material="Si", etch_depth=4, horizontal_to_vertical_ratio=0)
    volume.run("Isotropic Etching", material=11, depth=6)
    volume.run("CVD", material=cellforge.material("Thermal Si02"), thickness=thickness)
    return volume


def test_a_flow_built_in_python_saves_the_same_document_as_its_list(tmp_path, read_bytes):
    listed = flow_list(tmp_path / "flow.plst")
    result = run_batch(listed, "--output", tmp_path / "batch.cfw")
    assert result.returncode == 0, result.stderr
    volume = python_flow()
    # The resist stays where the mask is 1: a silicon ridge at x = 10..19 keeps its 8 layers, elsewhere
    # 4 are etched away, and the oxide covers the floor 2 layers thick (z = 4, 5) away from the ridge.
    s = volume.states
    assert (s[10:20, :, :8] == 1).all() and (s[:, :, :4] == 1).all()
    assert (s[:8, :, 4:6] == 3).all() and (s[22:, :, 4:6] == 3).all()
    assert not s[:8, :, 6:].any() and not s[22:, :, 6:].any() and not s[:, :, 10:].any()
    volume.save(str(tmp_path / "python.cfw"))
    assert read_bytes(tmp_path / "python.cfw") == read_bytes(tmp_path / "batch.cfw")
    # The list itself run from Python gives the same document too.
    loaded = cellforge.ProcessList.load(listed)
    assert loaded.names == ["Create Substrate", "Spin Coating", "Photolithography", "Anisotropic Etching",
                            "Isotropic etching", "CVD"] and len(loaded) == 6
    loaded.run().save(str(tmp_path / "list.cfw"))
    assert read_bytes(tmp_path / "list.cfw") == read_bytes(tmp_path / "batch.cfw")


def test_overrides_change_the_steps_that_take_them(tmp_path, read_bytes):
    assert run_batch(flow_list(tmp_path / "thick.plst", 3.0), "--output", tmp_path / "batch.cfw").returncode == 0
    loaded = cellforge.ProcessList.load(flow_list(tmp_path / "flow.plst"))
    loaded.run(overrides={"thickness": 3}).save(str(tmp_path / "all.cfw"))
    loaded.run(overrides={(6, "thickness"): 3.0}).save(str(tmp_path / "one.cfw"))
    assert read_bytes(tmp_path / "all.cfw") == read_bytes(tmp_path / "batch.cfw")
    assert read_bytes(tmp_path / "one.cfw") == read_bytes(tmp_path / "batch.cfw")
    loaded.run().save(str(tmp_path / "thin.cfw"))
    assert read_bytes(tmp_path / "thin.cfw") != read_bytes(tmp_path / "batch.cfw")
    with pytest.raises(TypeError, match="No step of the list takes the keyword etch_time"):
        loaded.run(overrides={"etch_time": 3})
    with pytest.raises(TypeError, match=r"Step 2 \(Spin Coating\) takes no keyword thickness"):
        loaded.run(overrides={(2, "thickness"): 3})


def test_a_list_on_a_volume_continues_it(tmp_path):
    volume = cellforge.Volume(6, 6, 6)
    volume.states[:, :, :1] = 1
    film = write_list(tmp_path / "film.plst",
                      [(ISOTROPIC_DEPOSITION, material("Material", "Poly-Si", 16) + [("Film Thickness", "float", "1")])])
    assert cellforge.ProcessList.load(film).run(volume) is volume
    assert (volume.states[:, :, 1] == 16).all() and not volume.states[:, :, 2:].any()


@pytest.mark.parametrize("keywords", [
    dict(material="Poly-Si"),                       # no film thickness
    dict(material="Poly-Si", film_thickness=-3),    # out of range
    dict(material="Poly-Si", film_thickness=1e39),  # beyond a float
], ids=["missing", "negative", "beyond-float"])
def test_invalid_parameters_raise_the_runners_message(tmp_path, keywords):
    volume = cellforge.Volume(6, 6, 6)
    volume.states[:, :, :2] = 1
    volume.save(str(tmp_path / "input.cfw"))
    parameters = material("Material", "Poly-Si", 16)
    if "film_thickness" in keywords:
        parameters.append(("Film Thickness", "float", "%g" % keywords["film_thickness"]))
    listed = write_list(tmp_path / "bad.plst", [(ISOTROPIC_DEPOSITION, parameters)])
    result = run_batch(listed, "--input", tmp_path / "input.cfw", "--output", tmp_path / "out.cfw")
    assert result.returncode != 0
    first = result.stderr.splitlines()[0]
    assert first.startswith("cellforge-batch: Step 1 (Isotropic Deposition)")
    before = volume.states.copy()
    with pytest.raises(ValueError) as caught:
        volume.run("Isotropic Deposition", **keywords)
    assert str(caught.value) == first[len("cellforge-batch: "):]
    assert np.array_equal(volume.states, before)


def test_unknown_processes_keywords_and_kinds():
    volume = cellforge.Volume(4, 4, 4)
    with pytest.raises(ValueError, match=r"There is no process \"Isotropic Depositon\"; the processes are "):
        volume.run("Isotropic Depositon", film_thickness=1, material="Si")
    with pytest.raises(TypeError, match=r"takes no keyword thickness; it takes film_thickness, material\.$"):
        volume.run("Isotropic Deposition", thickness=1, material="Si")
    with pytest.raises(TypeError, match="film_thickness takes a number, not str"):
        volume.run("Isotropic Deposition", film_thickness="1", material="Si")
    with pytest.raises(KeyError):
        volume.run("Isotropic Deposition", film_thickness=1, material="Unobtainium")
    assert cellforge.keywords("Isotropic Deposition") == ["film_thickness", "material"]
