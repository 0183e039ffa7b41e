#pragma once

// pybind11 before Qt: Python's headers use the word `slots`, which Qt defines as a macro.
#include <pybind11/pybind11.h>

#include "Model/Materials/material.h"

namespace CellforgePython {

/// Materials of the program's catalogue (~/Cellforge/materials.xml, the built-in table when it is
/// missing) as Python names them: by name ("Poly-Si"), by identifier (16) or as a Material.
class MaterialLookup {
public:
    /// The material; KeyError when the catalogue has none of that name or identifier, TypeError
    /// for a value that is neither a text, a whole number nor a Material.
    static Model::Materials::Material find(const pybind11::handle &nameOrId);
};

} // namespace CellforgePython
