#pragma once

// pybind11 before Qt: Python's headers use the word `slots`, which Qt defines as a macro.
#include <pybind11/pybind11.h>

#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processstep.h"

#include <QString>
#include <QStringList>

namespace CellforgePython {

/// The keywords of a process step in Python: each parameter of the step's list form by its name in
/// lower case with every run of other characters than letters and digits turned into one "_"
/// ("Film Thickness" -> film_thickness, "Horizontal to Vertical Ratio" ->
/// horizontal_to_vertical_ratio). A material is one keyword, its base ("Material" -> material),
/// given as a name or an identifier of the catalogue; its "_Id" and "_Color" parameters follow.
class StepKeywords {
public:
    /// The descriptor of the process named as lists and run reports name it ("Isotropic
    /// Deposition"), or as the list editor offers it; ValueError naming the processes otherwise.
    static const Core::Processes::ProcessDescriptor &descriptor(const QString &processName);
    /// The keyword of a parameter name.
    static QString keyword(const QString &parameterName);
    /// The keywords the process takes, in its parameters' order.
    static QStringList keywords(const Core::Processes::ProcessDescriptor &descriptor);
    /// A step of the process with the given values; the values that derive from others (material
    /// names and colours, texts) filled in as a list editor fills them. ValueError for a keyword
    /// the process does not take, TypeError for a value of the wrong kind.
    static Core::Processes::ProcessStep step(const Core::Processes::ProcessDescriptor &descriptor,
                                             const pybind11::dict &values);
    /// Sets one keyword's value in `step` (an override of a list's step); false when the step's
    /// process has no such keyword.
    static bool set(Core::Processes::ProcessStep &step, const QString &keyword, const pybind11::handle &value);
};

} // namespace CellforgePython
