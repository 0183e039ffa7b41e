#!/usr/bin/python3
"""Writes the hand-made seeds of fuzz_gds into fuzz/corpus/fuzz_gds (standard library only):
    python3 fuzz/make_gds_seeds.py
Each is a few hundred bytes that once crashed, hung or exhausted the memory of a GDSII reader:
records with empty or short data, elements without a record they need, structures without names,
cycles, arrays of empty structures, a top structure named CONTEXT_INFO and names with control
bytes. tests/Core/Formats/tst_gdslayout.cpp builds the same files with the message
each must end in. The example layout and the test layouts are copied beside them."""
import os
import shutil
import struct

here = os.path.dirname(os.path.abspath(__file__))
folder = os.path.join(here, "corpus", "fuzz_gds")


def record(kind, data=b"", data_type=0):
    return struct.pack(">HBB", 4 + len(data), kind, data_type) + data


def int16s(*values):
    return b"".join(struct.pack(">H", v & 0xFFFF) for v in values)


def int32s(*values):
    return b"".join(struct.pack(">i", v) for v in values)


def real8(value):
    if value == 0:
        return bytes(8)
    exponent, magnitude = 64, abs(value)
    while magnitude >= 1:
        magnitude /= 16
        exponent += 1
    while magnitude < 1 / 16:
        magnitude *= 16
        exponent -= 1
    return bytes([(0x80 if value < 0 else 0) | exponent]) + int(magnitude * 2**56).to_bytes(7, "big")


def text(name):
    return name + b"\0" * (len(name) % 2)


LAYER, DATATYPE, XY, ENDEL, SNAME = 0x0D, 0x0E, 0x10, 0x11, 0x12
NO_STRANS = record(0x1A, int16s(0), 1)


def layer(n):
    return record(LAYER, int16s(n), 2)


def datatype(n):
    return record(DATATYPE, int16s(n), 2)


def points(*xy):
    return record(XY, int32s(*xy), 3)


def rectangle(lay, x0, y0, x1, y1, dt=0):
    return record(0x08) + layer(lay) + datatype(dt) + points(x0, y0, x1, y0, x1, y1, x0, y1, x0, y0) + record(ENDEL)


def reference(name, x, y, transformation=b""):
    return record(0x0A) + record(SNAME, text(name), 6) + transformation + points(x, y) + record(ENDEL)


def array(name, columns, rows, x, y, dx, dy):
    return (record(0x0B) + record(SNAME, text(name), 6) + record(0x13, int16s(columns, rows), 2)
            + points(x, y, x + columns * dx, y, x, y + rows * dy) + record(ENDEL))


def structure(name, elements):
    return record(0x05, int16s(2024, 1, 1, 0, 0, 0) * 2, 2) + record(0x06, text(name), 6) + elements + record(0x07)


def library(structures, units=None):
    if units is None:
        units = record(0x03, real8(1e-3) + real8(1e-9), 5)
    return (record(0x00, int16s(600), 2) + record(0x01, int16s(2024, 1, 1, 0, 0, 0) * 2, 2)
            + record(0x02, text(b"LIB"), 6) + units + structures + record(0x04))


SQUARE = rectangle(1, 2000, 1000, 5000, 4000)
UNIT = structure(b"UNIT", SQUARE)
LINE = points(0, 0, 5000, 0)
THREE = points(0, 0, 3000, 0, 0, 3000)


def within(element):
    return library(structure(b"TOP", element) + UNIT)


def boundary_with(records):
    return within(record(0x08) + records + points(0, 0, 1000, 0, 1000, 1000, 0, 0) + record(ENDEL))


def path_with(records):
    return within(record(0x09) + layer(1) + datatype(0) + records + LINE + record(ENDEL))


def chain(depth):
    files = structure(b"S%d" % depth, SQUARE)
    for level in range(depth - 1, -1, -1):
        files += structure(b"S%d" % level, reference(b"S%d" % (level + 1), 0, 0))
    return library(files)


SEEDS = {
    "empty_layer.gds": boundary_with(record(LAYER) + datatype(0)),
    "empty_datatype.gds": boundary_with(layer(1) + record(DATATYPE)),
    "empty_width.gds": path_with(record(0x0F)),
    "short_width.gds": path_with(record(0x0F, int16s(5), 3)),
    "empty_pathtype.gds": path_with(record(0x21)),
    "short_colrow.gds": within(record(0x0B) + record(SNAME, b"UNIT", 6) + record(0x13, int16s(3), 2) + THREE
                               + record(ENDEL)),
    "empty_mag.gds": within(reference(b"UNIT", 0, 0, NO_STRANS + record(0x1B))),
    "short_angle.gds": within(reference(b"UNIT", 0, 0, NO_STRANS + record(0x1C, int32s(0), 5))),
    "empty_strans.gds": within(reference(b"UNIT", 0, 0, record(0x1A))),
    "empty_propattr.gds": within(record(0x08) + layer(1) + datatype(0) + points(0, 0, 9, 0, 9, 9, 0, 0)
                                 + record(0x2B) + record(ENDEL)),
    "short_units.gds": library(UNIT, record(0x03, real8(1e-3), 5)),
    "sref_without_xy.gds": within(record(0x0A) + record(SNAME, b"UNIT", 6) + record(ENDEL)),
    "sref_without_sname.gds": within(record(0x0A) + points(0, 0) + record(ENDEL)),
    "aref_without_colrow.gds": within(record(0x0B) + record(SNAME, b"UNIT", 6) + THREE + record(ENDEL)),
    "text_without_string.gds": within(record(0x0C) + layer(1) + record(0x16, int16s(0), 2) + points(0, 0)
                                      + record(ENDEL)),
    "text_without_xy.gds": within(record(0x0C) + layer(1) + record(0x16, int16s(0), 2)
                                  + record(0x19, b"hi", 6) + record(ENDEL)),
    "structure_without_name.gds": library(record(0x05, int16s(2024, 1, 1, 0, 0, 0) * 2, 2) + SQUARE
                                          + record(0x07)),
    "self_reference.gds": library(structure(b"TOP", SQUARE + reference(b"TOP", 0, 0))),
    "aref_empty_32767.gds": library(structure(b"TOP", array(b"EMPTY", 32767, 32767, 0, 0, 1, 1))
                                    + structure(b"EMPTY", b"")),
    "aref_empty_nested.gds": library(structure(b"TOP", array(b"MID", 1000, 1000, 0, 0, 1, 1))
                                     + structure(b"MID", array(b"EMPTY", 1000, 1000, 0, 0, 1, 1))
                                     + structure(b"EMPTY", b"")),
    "context_info_top.gds": library(structure(b"CONTEXT_INFO", reference(b"UNIT", 3000, 3000)
                                              + reference(b"CONTEXT_INFO", 0, 0)) + UNIT),
    "nesting_70.gds": chain(70),
    "control_bytes_name.gds": within(reference(b"\x1b[2J\x07", 0, 0)),
    "magnified_out_of_range.gds": within(reference(b"UNIT", 0, 0, NO_STRANS + record(0x1B, real8(1e6), 5))),
}

os.makedirs(folder, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
root = os.path.dirname(here)
shutil.copy(os.path.join(root, "examples", "layouts", "cantilever_comb.gds"), folder)
layouts = os.path.join(root, "tests", "data", "layouts")
for name in sorted(os.listdir(layouts)):
    if name.endswith(".gds"):
        shutil.copy(os.path.join(layouts, name), folder)
