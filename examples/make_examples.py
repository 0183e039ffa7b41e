#!/usr/bin/env python3
"""Writes the example process lists of this folder again (standard library only):
    python3 make_examples.py
Each list is what the Batch Run dialog saves: the material catalogue, then one "Process-Data" per
step with every parameter of its type. The mask bitmaps are the patterns of masks/*.png."""
import xml.sax.saxutils as su

# The built-in material catalogue: identifier, name, density, Poisson ratio, Young's modulus, RGBA.
MATERIALS = [
    (1, "Si", "2329", "0.28", "1.88e+11", (0.5, 0.5, 0.5, 1)),
    (3, "Thermal Si02", "2200", "0.17", "7e+10", (0.5, 0.5, 1, 1)),
    (4, "Al (bulk)", "2700", "0.14", "7e+10", (0.7, 0.7, 0.7, 1)),
    (5, "Cu (bulk)", "8960", "0.36", "1.28e+11", (1, 0.8, 0.3, 1)),
    (6, "Cr (bulk)", "7190", "0.21", "2.79e+11", (0.8, 0.8, 0.8, 1)),
    (7, "Ni (bulk)", "8908", "0.31", "2e+11", (0.8, 0.9, 0.8, 1)),
    (8, "Pt (bulk)", "21450", "0.38", "1.68e+11", (0.9, 0.9, 0.8, 1)),
    (9, "Au (bulk)", "19300", "0.44", "7.9e+10", (0.5, 1, 0.5, 1)),
    (10, "Ti (bulk)", "4506", "0.32", "1.16e+11", (0.3, 0.3, 0.3, 1)),
    (11, "Photoresist +", "1000", "0.4", "1e+09", (1, 0.5, 0.5, 1)),
    (12, "Photoresist -", "1000", "0.4", "1e+09", (1, 0.3, 1, 1)),
    (13, "PDMS", "1000", "0.4", "1e+09", (1, 1, 1, 1)),
    (14, "N-doped Si (100)", "2329", "0.28", "1.88e+11", (1, 1, 0.67, 1)),
    (15, "P-doped Si (100)", "2329", "0.28", "1.88e+11", (0.67, 0.67, 1, 1)),
    (16, "Poly-Si", "2329", "0.28", "1.88e+11", (0.3, 0.5, 0.4, 1)),
    (17, "Si (cubic)", "329", "0.28", "1.88e+11", (0.4, 0.4, 0.4, 1)),
]
# The film of Bosch etching's passivation, built in after the lists above were written: only the lists
# that use it carry it, so that the older lists stay as they were.
POLYMER = (18, "Fluorocarbon Polymer", "2000", "0.46", "5e+08", (0, 178 / 255, 178 / 255, 1))
BY_ID = {m[0]: m for m in MATERIALS + [POLYMER]}


def c255(f):
    import struct
    # Components are single-precision floats times 255, truncated, as the program does.
    f32 = struct.unpack("f", struct.pack("f", f))[0]
    return int(struct.unpack("f", struct.pack("f", f32 * 255.0))[0])


def argb(c):
    return "#" + "".join("%02X" % c255(v) for v in (c[3], c[0], c[1], c[2]))


def rgb(c):
    return "#" + "".join("%02x" % c255(v) for v in c[:3])


def material(base, ident, id_shown=False):
    m = BY_ID[ident]
    return [(base + "_Id", "uint", str(ident), id_shown), (base, "QString", m[1], True),
            (base + "_Color", "QColor", rgb(m[5]), False)]


def u(name, value, shown=True):
    return (name, "uint", str(value), shown)


def d(name, value, shown=True):
    return (name, "double", repr(float(value)).rstrip("0").rstrip(".") if value != int(value) else str(int(value)), shown)


def s(name, value, shown=True):
    return (name, "QString", value, shown)


def mask_bits(pixel, size=100):
    """The mask bitmap of an image: bit (column * H + H - 1 - row) is 1 where the pixel is black."""
    bits = ["0"] * (size * size)
    for column in range(size):
        for row in range(size):
            if pixel(column, row):
                bits[column * size + size - 1 - row] = "1"
    return "".join(bits)


# The patterns of masks/*.png (True where the pixel is black).
MASKS = {
    "square_opening.png": lambda c, r: not (30 <= c < 70 and 30 <= r < 70),
    "lines_and_spaces.png": lambda c, r: (c // 10) % 2 == 0,
    "cross.png": lambda c, r: 40 <= c < 60 or 40 <= r < 60,
    "cantilever.png": lambda c, r: 30 <= c < 80 and 45 <= r < 55,
    "trench_widths.png": lambda c, r: not (6 <= c < 46 or 52 <= c < 72 or 78 <= c < 88 or 94 <= c < 99),
    "comb.png": lambda c, r: 5 <= r < 20 or 80 <= r < 95 or (20 <= r < 70 and (c - 10) % 24 < 6 and 10 <= c < 88)
    or (30 <= r < 80 and (c - 22) % 24 < 6 and 22 <= c < 76),
}


# The shapes of layouts/cantilever_comb.gds as rectangles (x0, y0, x1, y1) in micrometres, every
# reference, array and path expanded by hand; at 1 um per cell a column is exposed (bit 0) when its
# centre lies inside one of them.
CANTILEVER_COMB = {
    1: [(5, 35, 20, 65), (20, 47, 60, 53), (60, 25, 66, 75), (40, 84, 52, 96), (10, 65, 14, 92), (10, 88, 40, 92)]
    + [(66, 29 + 10 * k, 82, 32 + 10 * k) for k in range(5)],
    2: [(88, 15, 95, 85)] + [(72, 24 + 10 * k, 88, 27 + 10 * k) for k in range(6)],
}


def layout_bits(rectangles, size=100):
    bits = ["1"] * (size * size)
    for column in range(size):
        for y in range(size):
            cx, cy = column + 0.5, y + 0.5
            if any(x0 < cx < x1 and y0 < cy < y1 for (x0, y0, x1, y1) in rectangles):
                bits[column * size + y] = "0"
    return "".join(bits)


def create_substrate(mat, nx, ny, nz, height):
    return (11, material("Material", mat) + [
        ("Lower Left Front Corner", "Util::Vector3D", "0;0;0", True),
        u("Volume Size X", nx), u("Volume Size Y", ny), u("Volume Size Z", nz),
        ("SphericalSubstrate", "bool", "false", False),
        u("Substrate Size X", nx), u("Substrate Size Y", ny), u("Substrate Size Z", height),
        u("Substrate Delta X", 0), u("Substrate Delta Y", 0), u("Substrate Delta Z", 0),
        u("Substrate Center X", 0, False), u("Substrate Center Y", 0, False), u("Substrate Center Z", 0, False),
        u("Substrate Radius", 50, False)])


def create_substrate_box(mat, nx, ny, nz, size, delta):
    """A box of material `size` cells large with its lowest corner at `delta`."""
    step = create_substrate(mat, nx, ny, nz, 0)
    replace = {"Substrate Size X": size[0], "Substrate Size Y": size[1], "Substrate Size Z": size[2],
               "Substrate Delta X": delta[0], "Substrate Delta Y": delta[1], "Substrate Delta Z": delta[2]}
    return (11, [u(p[0], replace[p[0]]) if p[0] in replace else p for p in step[1]])


def spin_coating(mat, height):
    return (9, material("Material", mat) + [u("Maximum Height", height)])


def photolithography(mat, top_mask):
    bits = mask_bits(MASKS[top_mask])
    return (0, material("Material", mat) + [
        ("Top Mask", "vector", bits, False), s("Top Mask File", "masks/" + top_mask),
        u("Top Mask Height", 100), u("Top Mask Width", 100),
        ("Bottom Mask", "vector", "", False), s("Bottom Mask File", ""),
        u("Bottom Mask Height", 0), u("Bottom Mask Width", 0)])


def layout_photolithography(mat, layer):
    """The layer at 1 um per cell from the origin: named, so that each run reads the layout again,
    and as its bitmap, as the list editor keeps it."""
    return (0, material("Material", mat) + [
        s("Top Mask Layout", "layouts/cantilever_comb.gds"), u("Layout Layer", layer), u("Layout Datatype", 0),
        d("Layout Scale", 1), d("Layout Offset X", 0), d("Layout Offset Y", 0),
        ("Top Mask", "vector", layout_bits(CANTILEVER_COMB[layer]), False),
        s("Top Mask File", "layouts/cantilever_comb.gds"),
        u("Top Mask Height", 100), u("Top Mask Width", 100),
        ("Bottom Mask", "vector", "", False), s("Bottom Mask File", ""),
        u("Bottom Mask Height", 0), u("Bottom Mask Width", 0)])


def anisotropic_etching(mat, depth, ratio):
    return (18, [d("Etch Depth", depth), d("Horizontal to Vertical Ratio", ratio)] + material("Material", mat))


def anisotropic_deposition(mat, thickness, ratio):
    return (17, [d("Film Thickness", thickness), d("Horizontal to Vertical Ratio", ratio)] + material("Material", mat))


def isotropic_etching(mat, depth):
    return (5, [d("Depth", depth)] + material("Material", mat))


def cvd(mat, thickness):
    return (4, [d("Thickness", thickness)] + material("Material", mat))


def pvd(mat, thickness, ratio, on):
    texts = {1: "On Top", 2: "On Bottom", 3: "On Top and Bottom"}
    return (12, [d("Thickness", thickness)] + material("Material", mat) + [
        ("DepositOn", "int", str(on), False), s("Deposit On", texts[on]), d("Horizontal to Vertical Ratio", ratio)])


def electroplating(conducting, deposited, thickness):
    return (7, [d("Film Thickness", thickness)] + material("Conducting Material", conducting)
            + material("Deposited Material", deposited))


def moore_deposition(mat, layers):
    return (2, [u("Thickness", layers)] + material("Material", mat))


def f(name, value, shown=True):
    return (name, "float", repr(float(value)).rstrip("0").rstrip(".") if value != int(value) else str(int(value)), shown)


def b(name, value, shown=False):
    return (name, "bool", "true" if value else "false", shown)


def doping(mat, depth):
    return (8, [f("Doping Depth", depth)] + material("Doped Material", mat, True))


def ion_implantation(mat, depth, spread, annealing):
    return (14, [f("Annealing Distance", annealing), f("Implantation Depth", depth), f("Vertical Spread", spread)]
            + material("Doped Material", mat, True))


def oxidation_by_thickness(microns, per_micron):
    return (15, [d("Micron Conversion", per_micron), b("OxidationTimeSet", False), b("OxidationThicknessSet", True),
                 d("Oxidation Thickness", microns), d("Oxidation Time", 2, False),
                 d("Oxidation Temperature", 1273, False), d("Oxidation Pressure", 1, False)])


def oxidation_by_time(hours, kelvin, atm, per_micron):
    return (15, [d("Micron Conversion", per_micron), b("OxidationTimeSet", True), b("OxidationThicknessSet", False),
                 d("Oxidation Thickness", 0.1, False), d("Oxidation Time", hours),
                 d("Oxidation Temperature", kelvin), d("Oxidation Pressure", atm)])


def planarization(maximum, minimum):
    return (6, [u("Maximum Height", maximum), u("Minimum Height", minimum)])


def random_walk_doping(mat, minutes, d_cm2_s, cell_um, dt_s, conc_cm3, threshold_percent):
    """In the dialog's units: minutes, cm^2/s, micrometres, seconds, cm^-3 and percent."""
    return (19, material("Material", mat) + [
        d("Doping Time", minutes), d("Diffusion Coefficient", d_cm2_s), d("Cell Size", cell_um),
        d("Time Step Duration", dt_s), ("Surface Concentration", "double", "%g" % conc_cm3, True),
        d("Doping Threshold", threshold_percent)])
def si_wet_etching(depth, model):
    return (1, [d("Depth", depth), s("Etch Model", model)])
def measure(name, kind, mat="", x=0, y=0, z=0, axis="x", z1=0, z2=0):
    return (23, [s("Name", name), s("Kind", kind), s("Material", mat), u("X", x), u("Y", y), u("Z", z),
                 s("Axis", axis), u("Z1", z1), u("Z2", z2)])


def line_of_sight_deposition(mat, thickness, sticking, exponent):
    return (20, [d("Film Thickness", thickness), d("Sticking Coefficient", sticking), d("Source Exponent", exponent)]
            + material("Material", mat))


def bosch_etching(mat, cycles, etch, passivation, probability, film, strip):
    return (22, [u("Cycles", cycles), d("Etch Per Cycle", etch), d("Passivation Thickness", passivation),
                 d("Reaction Probability", probability), b("Strip Passivation", strip, True)]
            + material("Material", mat) + material("Passivation Material", film))


def write_list(name, steps, materials=MATERIALS):
    out = ['<?xml version="1.0" encoding="UTF-8"?>', '<Process-List version="1">', "    <Materials>"]
    for (ident, mname, density, poisson, young, color) in materials:
        out.append('        <Material version="1" name=%s material-id="%d" density="%s" poisson-ratio="%s" '
                   'young-modulus="%s" color="%s"/>' % (su.quoteattr(mname), ident, density, poisson, young, argb(color)))
    out.append("    </Materials>")
    for (ptype, parameters) in steps:
        out.append('    <Process-Data process-type="%d">' % ptype)
        for (pname, kind, data, shown) in sorted(parameters, key=lambda p: p[0]):
            out.append('        <Parameter parameter-name=%s parameter-type="%s" parameter-data=%s '
                       'parameter-visibility="%s"/>' % (su.quoteattr(pname), kind, su.quoteattr(data),
                                                       "true" if shown else "false"))
        out.append("    </Process-Data>")
    out.append("</Process-List>")
    with open(name, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


# Lines etched into silicon through a resist pattern, the resist stripped, and the trenches lined
# with a conformal oxide.
write_list("trench_with_conformal_film.plst", [
    create_substrate(1, 100, 100, 48, 30),
    spin_coating(11, 34),
    photolithography(11, "lines_and_spaces.png"),
    anisotropic_etching(1, 12, 0),
    isotropic_etching(11, 6),
    cvd(3, 3),
])

# A square opening in a resist layer and an isotropic etch through it: the silicon is etched
# under the edge of the resist.
write_list("resist_patterned_etch.plst", [
    create_substrate(1, 100, 100, 40, 24),
    spin_coating(11, 28),
    photolithography(11, "square_opening.png"),
    isotropic_etching(1, 8),
])

# A film stack: sloped poly-silicon, a sputtered aluminium seed, electroplated copper on it, and the
# top planarized.
write_list("plated_stack_planarized.plst", [
    create_substrate(1, 60, 60, 48, 16),
    anisotropic_deposition(16, 4, 0.5),
    pvd(4, 2, 0.25, 1),
    electroplating(4, 5, 6),
    planarization(30, 0),
])

# A damascene cross: a cross-shaped opening developed in negative resist, a gold film wrapped over
# everything two cells thick, and the top polished down to the resist, leaving gold only in the cross.
write_list("damascene_cross.plst", [
    create_substrate(1, 100, 100, 30, 12),
    spin_coating(12, 18),
    photolithography(12, "cross.png"),
    moore_deposition(9, 2),
    planarization(18, 0),
])

# KOH-like etching of (100) silicon through a square opening in a one-cell resist layer whose edges
# run along <110>: the etch stops on four {111} walls at 54.7 degrees, an inverted pyramid about
# 40 / sqrt 2 = 28 cells deep.
write_list("koh_inverted_pyramid.plst", [
    create_substrate(1, 100, 100, 40, 32),
    spin_coating(11, 33),
    photolithography(11, "square_opening.png"),
    si_wet_etching(30, "BCA"),
])

# Ion implantation through a resist mask: the resist (8 cells) is thicker than the implanted band
# reaches, so only the silicon under the openings is implanted, 5 to 7 cells deep and annealed one
# cell further. After the resist is stripped the wafer is oxidized for half an hour at 1273 K
# (about 0.05 micron, 5 cells at 100 cells per micron), which consumes the top two silicon layers.
write_list("implanted_lines_oxidized.plst", [
    create_substrate(1, 100, 100, 40, 24),
    spin_coating(11, 32),
    photolithography(11, "lines_and_spaces.png"),
    ion_implantation(15, 6, 1, 1),
    isotropic_etching(11, 10),
    oxidation_by_time(0.5, 1273, 1, 100),
])

# A well doped through a window in an oxide mask: a CVD oxide is patterned through a resist opening,
# the resist stripped, the silicon doped from the window (the dopant also spreads sideways under the
# edge of the mask), the mask stripped and a thin oxide (0.04 micron) grown on the doped wafer.
write_list("doped_well_oxidized.plst", [
    create_substrate(1, 100, 100, 40, 24),
    cvd(3, 4),
    spin_coating(11, 32),
    photolithography(11, "square_opening.png"),
    anisotropic_etching(3, 4, 0),
    isotropic_etching(11, 6),
    doping(14, 6),
    isotropic_etching(3, 5),
    oxidation_by_thickness(0.04, 100),
])

# A cantilever with a comb drive from a GDSII layout: layer 1 (anchor, pad and wire, beam, shuttle and
# moving fingers) etched 8 cells into silicon through positive resist, the resist stripped, then
# layer 2 (the fixed comb) etched 4 cells after a second coat; aluminium sputtered over it all.
write_list("cantilever_comb_from_layout.plst", [
    create_substrate(1, 100, 100, 40, 20),
    spin_coating(11, 26),
    layout_photolithography(11, 1),
    anisotropic_etching(1, 8, 0),
    isotropic_etching(11, 15),
    spin_coating(11, 26),
    layout_photolithography(11, 2),
    anisotropic_etching(1, 4, 0),
    isotropic_etching(11, 15),
    pvd(4, 2, 0.25, 1),
])

# Surface micromachining of a cantilever: a silicon block with oxide poured beside it as a
# sacrificial layer, poly-silicon poured on the oxide, patterned through resist into a beam 50 x 10
# cells that leans on the block's side, the resist stripped and the oxide etched away: the beam is
# released, free below, above and at its end. Model extraction finds it and writes its netlist.
write_list("released_cantilever.plst", [
    create_substrate_box(1, 100, 100, 40, (30, 100, 30), (0, 0, 0)),
    spin_coating(3, 20),
    spin_coating(16, 26),
    spin_coating(11, 32),
    photolithography(11, "cantilever.png"),
    anisotropic_etching(16, 8, 0),
    isotropic_etching(11, 10),
    isotropic_etching(3, 40),
])

# Boron diffused through a square opening in a resist layer, then the resist stripped: a doped well.
# D = 1e-13 cm^2/s and cells of 0.01 um allow time steps up to 1.67 s; 5 minutes of 1 s steps give a
# diffusion length sqrt(D t) of about 5.5 cells. Cells where more than 10 % of the surface concentration
# stays become P-doped Si; the counts can be written out with
# --export-csv "Random Walk Particle Count Type P" OUT.csv.
write_list("doped_well.plst", [
    create_substrate(1, 100, 100, 40, 30),
    spin_coating(11, 34),
    photolithography(11, "square_opening.png"),
    random_walk_doping(15, 5, 1e-13, 0.01, 1, 1e20, 10),
    isotropic_etching(11, 6),
])

# The list of the sweep in sweep/ (see sweep/README.md): the trenches of trench_with_conformal_film.plst,
# measured after the film. The trench of columns x = 10 to 19 is measured at (15, 50): its depth below
# the highest column, and the oxide of the whole volume (the film on walls and floors grows with the
# etch depth, the sweep's parameter 4.Etch Depth).
write_list("sweep/trench_sweep.plst", [
    create_substrate(1, 100, 100, 48, 30),
    spin_coating(11, 34),
    photolithography(11, "lines_and_spaces.png"),
    anisotropic_etching(1, 12, 0),
    isotropic_etching(11, 6),
    cvd(3, 3),
    measure("trench depth", "depth", x=15, y=50),
    measure("oxide", "volume", mat="Thermal Si02"),
])

# A film sputtered over trenches 20 cells deep and 40, 20, 10 and 5 wide (aspect ratios 0.5, 1, 2 and
# 4), running along y: a cosine source, every atom sticking where it lands (line of sight). The film
# on the land is 3 cells; a trench bottom sees less of the source the narrower it is (at its centre
# about 1 / sqrt(1 + 4 A^2) of the land's film: 0.71, 0.45, 0.24, 0.12), the walls are thinner at
# the bottom than at the top, and the film overhangs the top corners.
write_list("sputtered_film_over_trenches.plst", [
    create_substrate(1, 100, 100, 48, 30),
    spin_coating(11, 34),
    photolithography(11, "trench_widths.png"),
    anisotropic_etching(1, 20, 0),
    isotropic_etching(11, 6),
    line_of_sight_deposition(4, 3, 1, 1),
])

# A comb drive etched into silicon by the Bosch process through a resist mask: two interdigitated
# combs, fingers 6 wide with gaps of 6 between them, in an open field. Five cycles of a one-cell
# fluorocarbon film, an ion step that clears it from the floors and 5 cells of isotropic etching;
# the walls come out vertical with a scallop per cycle, the narrow gaps between the fingers shallower
# than the open field (aspect-ratio-dependent etching). The film is stripped, then the resist.
write_list("bosch_etched_comb.plst", [
    create_substrate(1, 100, 100, 60, 44),
    spin_coating(11, 46),
    photolithography(11, "comb.png"),
    bosch_etching(1, 5, 5, 1, 0.1, 18, True),
    isotropic_etching(11, 6),
], MATERIALS + [POLYMER])
