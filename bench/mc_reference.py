#!/usr/bin/python3
"""Reference for the marching-cubes benchmark: VTK's discrete flying edges on the same labels.

Builds the volumes of bench_meshes (the trench volume of bench_engines; 16 flat layers of 16
materials), runs vtkDiscreteFlyingEdges3D with normals and prints the best time of several runs,
one line per case, which bench_meshes reads:

    mc_reference <case> <n>: <ms> ms, <triangles> triangles (<what>)

"occupied" contours the boundary between material and empty cells (one label for every material,
the surface Cellforge's marching cubes draws, closed at the volume's sides the same way); "per
material" contours every material apart, its inner interfaces too (shown for the layers only, for
comparison).

    /usr/bin/python3 bench/mc_reference.py [--size N] [--repeat R] [--case trench|layers|all]
"""
import argparse
import sys
import time

try:
    import numpy as np
    from vtkmodules.util import numpy_support
    from vtkmodules.vtkCommonCore import vtkSMPTools
    from vtkmodules.vtkCommonDataModel import vtkImageData
    from vtkmodules.vtkFiltersGeneral import vtkDiscreteFlyingEdges3D
except ImportError:
    print("mc_reference: VTK is not available here (Debian package python3-vtk9, run with "
          "/usr/bin/python3); skipped.")
    sys.exit(0)

SILICON = 1
MATERIALS = [1] + list(range(3, 18))  # the built-in catalogue's sixteen materials


def trench_volume(n):
    """States indexed [x, y, z], z vertical, as in bench_engines."""
    states = np.zeros((n, n, n), dtype=np.uint8)
    half, period, width, depth = n // 2, n // 8, n // 16, n // 4
    states[:, :, :half] = SILICON
    offsets = np.arange(n) % period
    start = (period - width) // 2
    in_trench = (offsets >= start) & (offsets < start + width)
    states[in_trench, :, half - depth:half] = 0
    return states


def layered_volume(n):
    states = np.zeros((n, n, n), dtype=np.uint8)
    thickness = n // 16
    for layer in range(16):
        states[:, :, layer * thickness:(layer + 1) * thickness] = MATERIALS[layer]
    return states


def as_cellforge_sees(occupied):
    """The labels Cellforge's marching cubes contours: the window's lower layer on each axis counts
    as empty and the cubes reach one corner beyond the upper end, where there are no cells. Zeroing
    the first layers and padding one empty layer above gives VTK the same closed surface."""
    labels = occupied.copy()
    labels[0, :, :] = 0
    labels[:, 0, :] = 0
    labels[:, :, 0] = 0
    return np.pad(labels, ((0, 1), (0, 1), (0, 1)))


def image_of(states):
    n = states.shape
    image = vtkImageData()
    image.SetDimensions(n[0], n[1], n[2])
    # VTK runs x fastest: the [x, y, z] array in Fortran order.
    flat = np.ascontiguousarray(states.ravel(order="F"))
    array = numpy_support.numpy_to_vtk(flat, deep=True)
    image.GetPointData().SetScalars(array)
    return image


def contour(image, labels, repeat):
    best = None
    triangles = 0
    for _ in range(repeat):
        flying = vtkDiscreteFlyingEdges3D()
        flying.SetInputData(image)
        flying.ComputeNormalsOn()
        flying.SetNumberOfContours(len(labels))
        for i, label in enumerate(labels):
            flying.SetValue(i, label)
        start = time.perf_counter()
        flying.Update()
        elapsed = (time.perf_counter() - start) * 1000.0
        triangles = flying.GetOutput().GetNumberOfPolys()
        best = elapsed if best is None else min(best, elapsed)
    return best, triangles


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--size", type=int, default=256)
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--case", default="all", choices=["trench", "layers", "all"])
    args = parser.parse_args()
    n = args.size
    print(f"mc_reference: VTK with {vtkSMPTools().GetBackend()}, {vtkSMPTools().GetEstimatedNumberOfThreads()} threads")
    cases = []
    if args.case in ("trench", "all"):
        cases.append(("trench", trench_volume(n)))
    if args.case in ("layers", "all"):
        cases.append(("layers", layered_volume(n)))
    for name, states in cases:
        occupied = image_of(as_cellforge_sees((states != 0).astype(np.uint8)))
        ms, triangles = contour(occupied, [1], args.repeat)
        print(f"mc_reference {name} {n}: {ms:.1f} ms, {triangles} triangles (occupied)", flush=True)
        if name == "layers":
            labelled = image_of(as_cellforge_sees(states))
            ms, triangles = contour(labelled, MATERIALS, args.repeat)
            print(f"mc_reference {name} {n}: {ms:.1f} ms, {triangles} triangles (per material)", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
