#!/usr/bin/python3
"""Writes the GDSII layouts of the layout tests (Debian's python3-gdspy):
    /usr/bin/python3 make_layouts.py [FOLDER]
User unit 1 micrometre, database unit 1 nanometre. The expected masks are worked out by hand in
tests/Core/Engines/tst_columnengines.cpp, on 10 by 8 columns of 1 micrometre."""
import os
import sys

import gdspy

folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))


def library(*cells):
    lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-9)
    for cell in cells:
        lib.add(cell)
    return lib


def cell(name):
    return gdspy.Cell(name, exclude_from_current=True)


def write(name, *cells):
    path = os.path.join(folder, name)
    library(*cells).write_gds(path)
    return path


# A square from (2, 1) to (5, 4) on layer 1.
top = cell("TOP")
top.add(gdspy.Rectangle((2, 1), (5, 4), layer=1))
write("square.gds", top)

# Paths with widths: flush ends (layer 1), ends extended by half the width (layer 2) and a bend
# (layer 3), all 2 wide.
top = cell("TOP")
top.add(gdspy.FlexPath([(1, 5), (8, 5)], 2, ends="flush", gdsii_path=True, layer=1))
top.add(gdspy.FlexPath([(4, 2), (7, 2)], 2, ends="extended", gdsii_path=True, layer=2))
top.add(gdspy.FlexPath([(1, 1), (5, 1), (5, 5)], 2, ends="flush", gdsii_path=True, layer=3))
write("paths.gds", top)

# A 1 by 2 rectangle placed by an array of 3 columns and 2 rows (pitch 3 and 4, from (1, 1)) and by
# a plain reference at (8, 0).
unit = cell("UNIT")
unit.add(gdspy.Rectangle((0, 0), (1, 2), layer=1))
top = cell("TOP")
top.add(gdspy.CellArray(unit, 3, 2, (3, 4), (1, 1)))
top.add(gdspy.CellReference(unit, (8, 0)))
write("arrays.gds", top, unit)

# A 3 by 1 bar placed rotated by 90 degrees at (5, 2), reflected about x at (1, 6), reflected and
# rotated at (8, 1), and magnified twice at (0, 0).
bar = cell("BAR")
bar.add(gdspy.Rectangle((0, 0), (3, 1), layer=1))
top = cell("TOP")
top.add(gdspy.CellReference(bar, (5, 2), rotation=90))
top.add(gdspy.CellReference(bar, (1, 6), x_reflection=True))
top.add(gdspy.CellReference(bar, (8, 1), rotation=90, x_reflection=True))
top.add(gdspy.CellReference(bar, (0, 0), magnification=2))
write("transformed.gds", top, bar)

# Two layers and a second datatype: layer 1 left, layer 2 right, layer 1 datatype 5 in between.
top = cell("TOP")
top.add(gdspy.Rectangle((0, 0), (4, 8), layer=1))
top.add(gdspy.Rectangle((6, 0), (10, 8), layer=2))
top.add(gdspy.Rectangle((4, 0), (6, 2), layer=1, datatype=5))
write("layers.gds", top)

# Damaged hierarchies the reading library cannot survive: a reference to a structure the file does
# not define, and a structure that contains itself through another.
a = cell("AA")
b = cell("BB")
c = cell("CC")
c.add(gdspy.Rectangle((0, 0), (1, 1), layer=1))
a.add(gdspy.Rectangle((0, 0), (1, 1), layer=1))
top = cell("TOP")
top.add(gdspy.CellReference(a, (0, 0)))
a.add(gdspy.CellReference(b, (1, 0)))
b.add(gdspy.CellReference(c, (1, 0)))
path = write("cycle.gds", top, a, b, c)
data = bytearray(open(path, "rb").read())
# The reference of BB to CC is made one to AA: AA -> BB -> AA.
at = data.find(bytes.fromhex("00061206") + b"CC")
data[at + 4:at + 6] = b"AA"
open(path, "wb").write(data)

top = cell("TOP")
top.add(gdspy.Rectangle((0, 0), (1, 1), layer=1))
top.add(gdspy.CellReference(c, (2, 0)))
path = write("unknown_reference.gds", top, c)
data = bytearray(open(path, "rb").read())
at = data.find(bytes.fromhex("00061206") + b"CC")
data[at + 4:at + 6] = b"ZZ"
open(path, "wb").write(data)
