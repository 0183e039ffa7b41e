"""Random steps from Python draw as cellforge-batch --seed makes them draw."""
import pytest

import cellforge
from conftest import run_batch, write_list

# A threshold that only some cells reach, so that the draws show in the cells.
DOPING = dict(cell_size=0.01, diffusion_coefficient=1e-13, doping_threshold=100, doping_time=5,
              material="P-doped Si (100)", surface_concentration=1e20, time_step_duration=0.1)
RANDOM_WALK_DOPING = 19


def doping_list(path):
    return write_list(path, [(RANDOM_WALK_DOPING, [
        ("Cell Size", "double", "0.01"), ("Diffusion Coefficient", "double", "1e-13"),
        ("Doping Threshold", "double", "100"), ("Doping Time", "double", "5"),
        ("Material", "QString", "P-doped Si (100)"), ("Material_Id", "uint", "15"),
        ("Surface Concentration", "double", "1e+20"), ("Time Step Duration", "double", "0.1")])])


def substrate():
    volume = cellforge.Volume(12, 12, 12)
    volume.states[:, :, :6] = 1
    return volume


def test_a_seeded_random_step_is_the_lists_with_that_seed(tmp_path, read_bytes):
    substrate().save(str(tmp_path / "input.cfw"))
    listed = doping_list(tmp_path / "doping.plst")
    result = run_batch(listed, "--input", tmp_path / "input.cfw", "--seed", 7, "--output", tmp_path / "batch.cfw")
    assert result.returncode == 0, result.stderr
    for seed, same in ((7, True), (8, False)):
        volume = substrate()
        volume.run("Random Walk Doping", seed=seed, **DOPING)
        volume.save(str(tmp_path / "python.cfw"))
        assert (read_bytes(tmp_path / "python.cfw") == read_bytes(tmp_path / "batch.cfw")) == same, seed
    volume = cellforge.Volume.open(str(tmp_path / "input.cfw"))
    cellforge.ProcessList.load(listed).run(volume, seed=7).save(str(tmp_path / "list.cfw"))
    assert read_bytes(tmp_path / "list.cfw") == read_bytes(tmp_path / "batch.cfw")


@pytest.mark.parametrize("seed", [-1, 2 ** 64, 1.5, True])
def test_a_seed_is_a_whole_number_of_64_bits(seed):
    with pytest.raises(ValueError, match="seed must be a whole number from 0 to 18446744073709551615"):
        substrate().run("Random Walk Doping", seed=seed, **DOPING)
