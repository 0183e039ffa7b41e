#!/usr/bin/python3
"""Writes cantilever_comb.gds again (Debian's python3-gdspy):  /usr/bin/python3 make_layouts.py

A 100 by 100 micrometre layout on two layers (user unit 1 um, database unit 1 nm):
  layer 1: an anchor with a bond pad and its wire (a bent path 4 wide), a cantilever beam, the
           shuttle at its tip and the five moving fingers of a comb drive (an array of one finger);
  layer 2: the fixed half of the comb drive, a spine with six fingers (an array again) that reach
           between the moving ones with 2 um gaps.
At 1 um per cell it lies over a 100 by 100 column volume from the origin."""
import gdspy

lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-9)
moving = gdspy.Cell("MOVING_FINGER", exclude_from_current=True)
moving.add(gdspy.Rectangle((0, 0), (16, 3), layer=1))
fixed = gdspy.Cell("FIXED_FINGER", exclude_from_current=True)
fixed.add(gdspy.Rectangle((0, 0), (16, 3), layer=2))

top = gdspy.Cell("CANTILEVER_COMB", exclude_from_current=True)
top.add(gdspy.Rectangle((5, 35), (20, 65), layer=1))         # anchor
top.add(gdspy.Rectangle((20, 47), (60, 53), layer=1))        # cantilever beam
top.add(gdspy.Rectangle((60, 25), (66, 75), layer=1))        # shuttle
top.add(gdspy.CellArray(moving, 1, 5, (0, 10), (66, 29)))    # moving fingers
top.add(gdspy.FlexPath([(12, 65), (12, 90), (40, 90)], 4, ends="flush", gdsii_path=True, layer=1))
top.add(gdspy.Rectangle((40, 84), (52, 96), layer=1))        # bond pad
top.add(gdspy.Rectangle((88, 15), (95, 85), layer=2))        # fixed spine
top.add(gdspy.CellArray(fixed, 1, 6, (0, 10), (72, 24)))     # fixed fingers
for cell in (top, moving, fixed):
    lib.add(cell)
lib.write_gds("cantilever_comb.gds")
