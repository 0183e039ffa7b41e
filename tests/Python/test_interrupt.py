"""Long steps from Python: progress, Ctrl+C and other threads while the engine runs."""
import os
import signal
import threading
import time

import numpy as np
import pytest

import cellforge


def silicon_block(n):
    """An n^3 volume, its lower half silicon: the continuous wet etch takes a while on it."""
    volume = cellforge.Volume(n, n, n)
    volume.states[:, :, : n // 2] = 1
    return volume


def long_etch(volume, progress=None, depth=40):
    volume.run("Si Wet Etching", etch_model="CCA", depth=depth, wafer_orientation="100", flat_angle=0.0,
               cell_size=1.0, progress=progress)


def test_ctrl_c_stops_the_step_and_leaves_the_cells_as_before():
    volume = silicon_block(100)
    before = volume.states.copy()
    running = threading.Event()
    calls = []

    def progress(done, total):
        calls.append((done, total))
        if len(calls) == 3:
            running.set()

    def interrupt():
        # Sent once the engine has etched a while (its third report), from another thread, to this
        # very process.
        if running.wait(60):
            os.kill(os.getpid(), signal.SIGINT)

    sender = threading.Thread(target=interrupt)
    sender.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            long_etch(volume, progress, depth=80)
    finally:
        sender.join()
    assert len(calls) >= 3 and calls[2][0] > 0, calls
    assert np.array_equal(volume.states, before)
    # The volume takes further steps after the interrupted one.
    volume.run("Isotropic Deposition", film_thickness=1, material="Poly-Si")
    assert (volume.states[:, :, 50] == 16).all()


def test_an_exception_of_progress_stops_the_step_and_is_raised():
    volume = silicon_block(60)
    before = volume.states.copy()
    calls = []

    def progress(done, total):
        calls.append(done)
        if len(calls) == 2:
            raise RuntimeError("enough")

    with pytest.raises(RuntimeError, match="^enough$"):
        long_etch(volume, progress)
    assert len(calls) == 2
    assert np.array_equal(volume.states, before)


def test_two_volumes_run_in_two_threads_at_once_with_the_results_of_one_after_the_other():
    # While both engines run, this thread goes on ticking: the GIL is free. Were it held by an engine,
    # no tick could fall between the later start and the earlier end of the two runs.
    alone = silicon_block(70)
    long_etch(alone)
    volumes = [silicon_block(70), silicon_block(70)]
    spans = [None, None]
    start = threading.Barrier(2)

    def work(i):
        start.wait()
        began = time.monotonic()
        long_etch(volumes[i])
        spans[i] = (began, time.monotonic())

    threads = [threading.Thread(target=work, args=(i,)) for i in range(2)]
    for thread in threads:
        thread.start()
    ticks = []
    while any(thread.is_alive() for thread in threads):
        ticks.append(time.monotonic())
        time.sleep(0.002)
    for thread in threads:
        thread.join()
    both_running = [t for t in ticks if max(s[0] for s in spans) < t < min(s[1] for s in spans)]
    assert len(both_running) >= 5, (spans, len(ticks))
    for volume in volumes:
        assert np.array_equal(volume.states, alone.states)


def test_a_volume_busy_with_a_step_refuses_another_and_puts_its_cells_back(tmp_path):
    volume = silicon_block(60)
    before = volume.states.copy()

    def progress(done, total):
        volume.save(str(tmp_path / "during.cfw"))

    with pytest.raises(RuntimeError, match="^The volume is busy with a step, a save or an export in another thread"):
        long_etch(volume, progress)
    assert np.array_equal(volume.states, before) and not (tmp_path / "during.cfw").exists()
