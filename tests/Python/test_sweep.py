"""The sweep of a list over a table from Python: the rows of cellforge-batch --sweep and --collect."""
import csv

import numpy as np
import pytest

import cellforge
from conftest import ISOTROPIC_DEPOSITION, material, run_batch, substrate_step, write_list
from test_measure import measure_step

NX, NY, NZ = 8, 6, 12


def film_list(path):
    """Four layers of silicon, a Poly-Si film, its thickness and volume measured."""
    return write_list(path, [
        substrate_step(NX, NY, NZ, 4),
        (ISOTROPIC_DEPOSITION, material("Material", "Poly-Si", 16) + [("Film Thickness", "float", "1")]),
        measure_step("film", "thickness", material="Poly-Si", x=2, y=2),
        measure_step("poly", "volume", material="Poly-Si"),
    ])


def number(text):
    for kind in (int, float):
        try:
            return kind(text)
        except ValueError:
            pass
    return text


def test_the_rows_are_the_command_lines(tmp_path):
    listed = film_list(tmp_path / "film.plst")
    with open(tmp_path / "t.csv", "w", encoding="utf-8") as f:
        f.write("2.Film Thickness\n1\n2.5\n3\n")
    runs = tmp_path / "runs"
    runs.mkdir()
    result = run_batch(listed, "--sweep", tmp_path / "t.csv", "--jobs", 1, "--cell-size-um", 2,
                       "--results", runs / "r{index}.json")
    assert result.returncode == 0, result.stderr
    result = run_batch("--collect", runs, tmp_path / "study.csv")
    assert result.returncode == 0, result.stderr
    with open(tmp_path / "study.csv", encoding="utf-8") as f:
        batch = [{k: number(v) for k, v in row.items() if k != "status"} for row in csv.DictReader(f)]

    steps = cellforge.ProcessList.load(listed)
    rows = steps.sweep(str(tmp_path / "t.csv"), cell_size_um=2)
    assert rows == batch
    assert list(rows[0]) == ["index", "2.Film Thickness", "film (µm)", "poly (µm³)"]
    # A film of t cells on a flat substrate: t cells thick (the deposition rounds 2.5 to whole cells).
    assert [r["film (µm)"] / 2 for r in rows] == [1, round(2.5), 3]
    assert [r["poly (µm³)"] for r in rows] == [NX * NY * r["film (µm)"] / 2 * 8 for r in rows]
    # The same table as dicts, and the same values whatever the engines' thread count.
    table = [{"2.Film Thickness": t} for t in (np.int64(1), 2.5, np.float64(3))]
    default = cellforge.threads()
    try:
        for threads in (1, 2):
            cellforge.set_threads(threads)
            assert steps.sweep(table, cell_size_um=2) == rows
    finally:
        cellforge.set_threads(default)


def test_a_sweep_from_a_document_with_measurements_of_its_own(tmp_path):
    volume = cellforge.Volume(NX, NY, NZ)
    volume.states[:, :, :4] = 1
    volume.save(str(tmp_path / "flat.cfw"))
    steps = cellforge.ProcessList.load(film_list(tmp_path / "film.plst"))
    rows = steps.sweep([{"2.Film Thickness": 2}], input=tmp_path / "flat.cfw", overrides={"film_thickness": 5},
                       measure=lambda v: {"top": v.measure("height", x=0, y=0), "poly": int(np.sum(v.states == 16))})
    # The row's value comes after the override, as --sweep after --set.
    assert rows == [{"index": 0, "2.Film Thickness": 2, "film (cells)": 2.0, "poly (cells)": 96.0, "top": 6.0,
                     "poly": 96}]


def test_bad_tables_and_rows_are_refused_before_any_row_runs(tmp_path):
    steps = cellforge.ProcessList.load(film_list(tmp_path / "film.plst"))
    ran = []
    with pytest.raises(ValueError, match=r"^Row 1 of the sweep: Step 2 \(Isotropic Deposition\): \"Film Thickness\" "
                                         r"of -1 is out of range"):
        steps.sweep([{"2.Film Thickness": 1}, {"2.Film Thickness": -1}], progress=lambda *a: ran.append(a))
    assert ran == []
    with pytest.raises(ValueError, match=r'^The sweep table names a column "Film Thickness"; each must be '
                                         r'STEP\.PARAMETER'):
        steps.sweep([{"Film Thickness": 1}])
    with pytest.raises(ValueError, match=r"^Row 0 of the sweep: 9\.Film Thickness: step 9 does not exist: the list "
                                         r"has 4 steps\.$"):
        steps.sweep([{"9.Film Thickness": 1}])
    with open(tmp_path / "empty.csv", "w", encoding="utf-8") as f:
        f.write("2.Film Thickness\n")
    with pytest.raises(ValueError, match=r'^The sweep table ".*empty\.csv" has no rows\.$'):
        steps.sweep(str(tmp_path / "empty.csv"))
    with pytest.raises(FileNotFoundError):
        steps.sweep(str(tmp_path / "missing.csv"))
    with pytest.raises(ValueError, match=r"^Row 0 of the sweep: Step 3 \(Measure\) failed: .*\(\(X, Y\) = \(8, 2\) "
                                         r"lies outside the cell volume of 8 x 6 x 12 cells\)$"):
        steps.sweep([{"3.X": NX}])


def test_a_seeded_random_sweep_does_not_depend_on_the_thread_count(tmp_path):
    from test_field import P_COUNTS
    from test_seed import doping_list, substrate
    substrate().save(str(tmp_path / "input.cfw"))
    steps = cellforge.ProcessList.load(doping_list(tmp_path / "doping.plst"))
    table = [{"1.Doping Time": t} for t in (2, 5)]
    counts = dict(measure=lambda v: {"particles": int(v.field(P_COUNTS).sum()), "doped": int(np.sum(v.states == 15))})
    default = cellforge.threads()
    try:
        runs = []
        for threads in (1, 2):
            cellforge.set_threads(threads)
            runs.append(steps.sweep(table, input=str(tmp_path / "input.cfw"), seed=7, **counts))
    finally:
        cellforge.set_threads(default)
    assert runs[0] == runs[1]
    # The longer walk takes more particles in and dopes at least as many cells.
    assert 0 < runs[0][0]["particles"] < runs[0][1]["particles"] and runs[0][0]["doped"] <= runs[0][1]["doped"]
