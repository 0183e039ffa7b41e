"""Shared helpers of the Python module's tests: process lists written by hand and cellforge-batch."""
import os
import subprocess

import pytest

BATCH = os.environ.get("CELLFORGE_BATCH", "cellforge-batch")

# Process type codes of the list format.
PHOTOLITHOGRAPHY, CVD, ISOTROPIC_ETCHING, SPIN_COATING, CREATE_SUBSTRATE = 0, 4, 5, 9, 11
ISOTROPIC_DEPOSITION, ANISOTROPIC_ETCHING = 16, 18


def material(base, name, identifier):
    """The parameters of a material as a list stores them."""
    return [(base, "QString", name), (base + "_Id", "uint", str(identifier))]


# The materials the lists below use, as the example lists carry them.
MATERIALS = """    <Materials>
        <Material version="1" name="Si" material-id="1" density="2329" poisson-ratio="0.28" young-modulus="1.88e+11" color="#FF7F7F7F"/>
        <Material version="1" name="Thermal Si02" material-id="3" density="2200" poisson-ratio="0.17" young-modulus="7e+10" color="#FF7F7FFF"/>
        <Material version="1" name="Photoresist +" material-id="11" density="1000" poisson-ratio="0.4" young-modulus="1e+09" color="#FFFF7F7F"/>
        <Material version="1" name="P-doped Si (100)" material-id="15" density="2329" poisson-ratio="0.28" young-modulus="1.88e+11" color="#FFAAAAFF"/>
        <Material version="1" name="Poly-Si" material-id="16" density="2329" poisson-ratio="0.28" young-modulus="1.88e+11" color="#FF4C7F66"/>
    </Materials>"""


def write_list(path, steps):
    """Writes a process list file; steps are (type code, [(name, parameter-type, data), ...])."""
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<Process-List version="1">', MATERIALS]
    for code, parameters in steps:
        lines.append('    <Process-Data process-type="%d">' % code)
        for name, kind, data in parameters:
            lines.append('        <Parameter parameter-name="%s" parameter-type="%s" parameter-data="%s" '
                         'parameter-visibility="true"/>' % (name, kind, data))
        lines.append("    </Process-Data>")
    lines.append("</Process-List>")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    return str(path)


def run_batch(*arguments):
    """cellforge-batch with the arguments; the completed process (text output)."""
    return subprocess.run([BATCH, *map(str, arguments)], capture_output=True, text=True, timeout=300)


def substrate_step(nx, ny, nz, height, name="Si", identifier=1):
    """A "Create Substrate" step: a box of `height` layers of the material over the whole base."""
    parameters = [("Lower Left Front Corner", "Util::Vector3D", "0;0;0"), ("SphericalSubstrate", "bool", "false")]
    parameters += material("Material", name, identifier)
    for axis, size, substrate in (("X", nx, nx), ("Y", ny, ny), ("Z", nz, height)):
        parameters += [("Volume Size " + axis, "uint", str(size)), ("Substrate Size " + axis, "uint", str(substrate)),
                       ("Substrate Delta " + axis, "uint", "0")]
    return (CREATE_SUBSTRATE, parameters)


def substrate_keywords(nx, ny, nz, height, name="Si"):
    """The same step's keywords in Python."""
    return dict(material=name, lower_left_front_corner=(0, 0, 0), sphericalsubstrate=False,
                volume_size_x=nx, volume_size_y=ny, volume_size_z=nz,
                substrate_size_x=nx, substrate_size_y=ny, substrate_size_z=height,
                substrate_delta_x=0, substrate_delta_y=0, substrate_delta_z=0)


@pytest.fixture
def read_bytes():
    def read(path):
        with open(path, "rb") as f:
            return f.read()
    return read
