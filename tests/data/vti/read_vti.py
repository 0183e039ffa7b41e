#!/usr/bin/python3
"""Reads a .vti file with VTK's own XML reader (Debian's python3-vtk9) and prints what it found as
JSON: dimensions (points), spacing, origin and every cell-data array with its values.
Exit status 77 when VTK is not installed, 1 when the reader reports an error."""
import json
import sys

try:
    from vtkmodules.vtkCommonCore import vtkCommand
    from vtkmodules.vtkIOXML import vtkXMLImageDataReader
except ImportError:
    sys.exit(77)

errors = []
reader = vtkXMLImageDataReader()
reader.AddObserver(vtkCommand.ErrorEvent, lambda caller, event: errors.append(event))
reader.GetExecutive().AddObserver(vtkCommand.ErrorEvent, lambda caller, event: errors.append(event))
reader.SetFileName(sys.argv[1])
reader.Update()
image = reader.GetOutput()
if errors or image is None or image.GetNumberOfCells() == 0:
    print("VTK could not read %s" % sys.argv[1], file=sys.stderr)
    sys.exit(1)
cells = image.GetCellData()
arrays = {}
for i in range(cells.GetNumberOfArrays()):
    array = cells.GetArray(i)
    arrays[array.GetName()] = {"type": array.GetDataTypeAsString(),
                               "values": [array.GetTuple1(j) for j in range(array.GetNumberOfTuples())]}
print(json.dumps({"dimensions": image.GetDimensions(), "spacing": image.GetSpacing(),
                  "origin": image.GetOrigin(), "scalars": cells.GetScalars().GetName(), "arrays": arrays}))
