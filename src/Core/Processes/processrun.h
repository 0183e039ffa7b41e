#pragma once

#include "Core/Engines/Volume/volumemeasurement.h"
#include "Model/Volume/totalvolume.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace Util {
class RunControl;
}

namespace Core {
class Workspace;

namespace BatchRun {
class ImageFolder;
}

namespace Processes {

/// The result of running one step. OutOfMemory and Stopped are this program's own: a step that ran
/// out of memory is not a fault of the list, and a step stopped at the user's request did not fail.
enum ResultCode : int {
    Success = 0,
    MissingParameter = 1,
    InvalidValue = 2,
    UnknownProcess = 3,
    NotImplemented = 4,
    OutOfMemory = 5,
    Stopped = 6
};

/// The text of a result code, as run reports give it.
QString resultMessage(int code);

/// What a step runs with, whichever road it came by: the window's command or a list's line. The
/// window gives the workspace, the volume and the control of its job; a list run also gives its
/// seed and what only lists use (the images folder, the list's folder, the image renderer).
struct ProcessRun {
    /// The two roads still differ in a few records they keep (see the descriptors that ask).
    enum class Road { Window, List };

    ProcessRun(Road road, Core::Workspace &workspace, Model::Automaton::TotalVolumePtr volume,
               Util::RunControl *control = nullptr)
        : road(road)
        , workspace(workspace)
        , volume(std::move(volume))
        , control(control)
    {
    }

    Road road;
    /// The scene and its per-volume records (last operation, lattice mark).
    Core::Workspace &workspace;
    /// The volume the step acts on; "Create Substrate" replaces it (null before it, in a list).
    Model::Automaton::TotalVolumePtr volume;
    /// Engines report to it and stop at its request (a stopped engine makes the step Stopped); may be null.
    Util::RunControl *control = nullptr;
    /// Fixes the draws of random steps; none seeds them from the clock.
    std::optional<uint64_t> seed;
    /// A line that explains a failure, or what a successful step did not do.
    QString detail;
    /// Set by a step that found nothing to change (no material it acts on): it still succeeds, but
    /// its engine does not run (when set before it) and the step is not recorded.
    bool changedNothing = false;
    /// What "Measure" steps measured (the runner numbers their steps).
    std::vector<Operations::Measurement> measurements;

    // ---- lists only ----
    /// Renders the scene to an image file; set by the list's front end (dialog or command line).
    std::function<bool(const QString &fileName, QString *error)> saveImage;
    /// Where "Save Image" steps may write. Null: names are used as they are.
    BatchRun::ImageFolder *images = nullptr;
    /// The folder of the list's file, where the layouts it names are read; empty when it has none.
    QString listFolder;

    /// Records the step in the volume's tables: its operation code as the last operation and,
    /// when it may change silicon cells, the lattice as out of date.
    void recordStep(uint32_t operationCode, bool changesSilicon = true);
};

} // namespace Processes
} // namespace Core
