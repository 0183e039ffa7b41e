#pragma once

// pybind11 before Qt: Python's headers use the word `slots`, which Qt defines as a macro.
#include <pybind11/pybind11.h>

#include "Core/Engines/Volume/volumemeasurement.h"
#include "Core/Processes/processstep.h"
#include "Model/Volume/totalvolume.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace Core {
class Workspace;
}

namespace CellforgePython {

/// Runs process steps from Python through the list runner: the same range checks, the same
/// descriptors, the same messages. The engines run without the GIL, so other Python threads go on
/// meanwhile; at the engines' stop boundaries (at most every 50 ms) the GIL is taken back to call
/// `progress(done, total)` and to look for Ctrl+C. Ctrl+C, or an exception of `progress`, stops the
/// running step, puts its cells back as they were before it and is raised.
class StepRunner {
public:
    /// Runs `steps` on `target` (which "Create Substrate" replaces) in `workspace` and returns what
    /// their "Measure" steps measured. Before anything runs, numbers out of range and measurements
    /// of an unknown kind or material raise ValueError with the runner's lines ("Step 1 (Isotropic
    /// Deposition): ..."), and so does a "Save Image" step: images are drawn by the display library,
    /// which the module does not load. A failing step raises ValueError ("Step 2 (CVD) failed:
    /// Invalid value (...)"), or MemoryError when it ran out of memory. The steps before it stay done.
    static std::vector<Core::Operations::Measurement> run(Core::Workspace &workspace,
                                                          Model::Automaton::TotalVolumePtr &target,
                                                          const QList<Core::Processes::ProcessStep> &steps,
                                                          std::optional<uint64_t> seed,
                                                          const pybind11::object &progress, const QString &listFolder);
};

} // namespace CellforgePython
