#pragma once

// pybind11 before Qt: Python's headers use the word `slots`, which Qt defines as a macro.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "Core/Engines/Volume/volumemeasurement.h"
#include "Core/Processes/processstep.h"
#include "Model/Volume/totalvolume.h"

#include <QList>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace Core {
class Workspace;
}

namespace CellforgePython {

/// A cell volume in Python, with the document it belongs to: what `cellforge.Volume` wraps. The
/// document holds the volume (and any a "Create Substrate" step adds beside it) and the records a
/// step keeps of it, as the command-line runner's does, so that a saved document is the same.
class PythonVolume {
public:
    /// A volume of nx x ny x nz empty cells (state 0) of `cellSize` units each, at the origin.
    PythonVolume(uint32_t nx, uint32_t ny, uint32_t nz, double cellSize);
    /// A document with no volume yet, for a list that begins with "Create Substrate".
    PythonVolume();
    ~PythonVolume();
    PythonVolume(const PythonVolume &) = delete;
    PythonVolume &operator=(const PythonVolume &) = delete;

    /// The first cell volume of a document file; OSError (with the file and the reason) when it
    /// cannot be read, ValueError when it is no document or holds no cell volume.
    static std::unique_ptr<PythonVolume> open(const QString &fileName);
    /// Writes the whole document; the file is replaced only when all of it was written. OSError
    /// with the file and the reason otherwise; ValueError when a cell holds a state out of range.
    void save(const QString &fileName);

    /// Writes the volume as VTK image data (.vti), as cellforge-batch --export-vti does; OSError
    /// with the file and the reason when it cannot be written.
    void exportVti(const QString &fileName);
    /// Writes the volume's surface as a mesh (binary STL or PLY by the extension) built by the
    /// algorithm named as cellforge-batch --surface names it ("cubic", "marching-cubes", "octree"),
    /// as --export-surface does; the number of triangles. ValueError for an unknown algorithm,
    /// OSError with the file and the reason when it cannot be written.
    size_t exportSurface(const QString &fileName, const QString &algorithm);

    /// A measurement of the volume as a "Measure" step takes it (`request` in cells; `kind`,
    /// `material` and `axis` as a list names them), in cells or, with `cellSizeUm` above 0, in µm
    /// as --results gives it. ValueError with the list runner's text for an unknown kind, axis or
    /// material and for a place outside the volume.
    double measure(const QString &kind, const QString &material, const QString &axis,
                   Core::Operations::MeasurementRequest request, double cellSizeUm) const;
    /// What the "Measure" steps of the last run measured, as the rows of --results: dicts of name,
    /// kind, value, unit and step.
    pybind11::list results(double cellSizeUm) const;
    /// Draws the plane x = index or y = index (`axis` "x" or "y") into an SVG or PNG file, as
    /// cellforge-batch --cross-section does. ValueError for another axis or ending, or an index
    /// outside the volume; OSError with the file and the reason when it cannot be written.
    void crossSection(const QString &axis, long long index, const QString &fileName, double cellSizeUm) const;
    /// A copy of the named data field (the random walk's particle counts) as a read-only (nx, ny, nz)
    /// array; KeyError naming the fields there are.
    pybind11::array field(const QString &name) const;
    /// The names of the volume's data fields.
    pybind11::list fieldNames() const;

    /// The cells' states as an (nx, ny, nz) uint16 array over the volume's own memory.
    pybind11::array_t<uint16_t> states() const;
    /// nx, ny, nz.
    pybind11::tuple shape() const;
    double cellSize() const;

    /// Runs the steps in order as a process list runs them; see StepRunner.
    void run(const QList<Core::Processes::ProcessStep> &steps, std::optional<uint64_t> seed,
             const pybind11::object &progress, const QString &listFolder = QString());

    bool hasVolume() const { return bool(m_target); }
    /// What the "Measure" steps of the last run measured.
    const std::vector<Core::Operations::Measurement> &measurements() const { return m_measurements; }
    /// ValueError naming the first cell whose state no material can have (above 32766).
    void checkStates() const;

private:
    const Model::Automaton::TotalVolumePtr &target() const;

    /// Held while a step, a save or an export works (without the GIL): a second one on the same
    /// document from another thread is refused rather than run on cells that are changing.
    std::unique_lock<std::mutex> busy() const;

    mutable std::mutex m_busy;
    std::unique_ptr<Core::Workspace> m_workspace;
    Model::Automaton::TotalVolumePtr m_target;
    std::vector<Core::Operations::Measurement> m_measurements;
};

} // namespace CellforgePython
