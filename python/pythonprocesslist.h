#pragma once

// pybind11 before Qt: Python's headers use the word `slots`, which Qt defines as a macro.
#include <pybind11/pybind11.h>

#include "Core/Processes/processstep.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace CellforgePython {

class PythonVolume;

/// A process list file read for Python: what `cellforge.ProcessList` wraps.
class PythonProcessList {
public:
    /// Reads the list; OSError (with the file and the reason) when it cannot be read, ValueError
    /// when it is no process list. Notes of the reading (materials matched or added, an older
    /// format) become warnings.
    static std::unique_ptr<PythonProcessList> load(const QString &fileName);

    /// The steps' names in order ("Create Substrate", "Isotropic Deposition", ...).
    pybind11::list names() const;
    int size() const { return m_steps.size(); }

    /// Runs the list on `volume`, or from nothing when it is None (the list then begins with
    /// "Create Substrate"), after applying `overrides`: keyword -> value for every step whose process
    /// takes the keyword, or (step number from 1, keyword) -> value for one step. Returns the volume.
    std::shared_ptr<PythonVolume> run(std::shared_ptr<PythonVolume> volume, const pybind11::dict &overrides,
                                      std::optional<uint64_t> seed, const pybind11::object &progress) const;

    /// Runs the list once per row of `table` (a CSV file whose header names "STEP.PARAMETER"
    /// columns, as cellforge-batch --sweep reads it, or a sequence of dicts with such keys), each
    /// row from nothing or from the document `input`, with `overrides` as `run` takes them and the
    /// row's values after them. Every row is checked before the first runs. One dict per row:
    /// "index", the swept values (numbers where they are numbers) and "NAME (UNIT)" for each
    /// measurement of the row's "Measure" steps (in cells, or in µm with `cellSizeUm` above 0),
    /// the columns of cellforge-batch --collect, then what `measure(volume)` returns (a dict), when
    /// given. A failing row raises ValueError naming it.
    pybind11::list sweep(const pybind11::object &table, const QString &input, const pybind11::dict &overrides,
                         std::optional<uint64_t> seed, double cellSizeUm, const pybind11::object &progress,
                         const pybind11::object &measure) const;

private:
    /// The steps with the overrides of `run` applied.
    QList<Core::Processes::ProcessStep> overridden(const pybind11::dict &overrides) const;

    QList<Core::Processes::ProcessStep> m_steps;
    QString m_folder;
};

} // namespace CellforgePython
