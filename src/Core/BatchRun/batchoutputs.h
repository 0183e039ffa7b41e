#pragma once

#include "Core/BatchRun/batchoptions.h"
#include "Core/BatchRun/resultsfile.h"
#include "Core/Engines/Volume/volumemeasurement.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QTextStream;

namespace Util {
class RunControl;
}

namespace Core {
class Workspace;
}

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace BatchRun {

/// The files a command-line run writes once its steps ran: the document, the target volume as VTK
/// image data, the surface of the first cell volume as a mesh, a data field of that volume as CSV and
/// the netlist of its cantilever beams, and the results of the measurements. Each is tried before the run, so that a
/// long run does not end at a file that cannot be written. Problems go to `err`, the netlist's line to `out`; the
/// results are the exit codes of BatchCommand.
class BatchOutputs {
public:
    BatchOutputs(const BatchOptions &options, QTextStream &out, QTextStream &err);

    /// A stop before the first output is complete writes nothing; once one is, the output being
    /// written is completed and no further one is begun.
    void setRunControl(Util::RunControl *control) { m_control = control; }
    /// Called with each output file's name just before it is written.
    void setOutputObserver(std::function<void(const QString &fileName)> observer)
    {
        m_outputObserver = std::move(observer);
    }

    /// The run is this row of a sweep: its results say so.
    void setSweepRow(const SweepRow &row) { m_sweepRow = row; }

    /// Whether every output the options name can be written; says why not.
    bool writable();
    /// Writes every output the options name, in order, until one fails or a stop comes; an exit code.
    int write(Core::Workspace &workspace, const std::shared_ptr<Model::Automaton::TotalVolume> &target,
              const std::vector<Operations::Measurement> &measurements = {});

private:
    void report(const QString &message);
    int writeDocument(Core::Workspace &workspace);
    int writeVti(const std::shared_ptr<Model::Automaton::TotalVolume> &target);
    int exportSurface(Core::Workspace &workspace);
    /// Writes the field the options name.
    int exportField(Core::Workspace &workspace);
    /// Extracts the beams of the first cell volume and writes their netlist.
    int writeNetlist(Core::Workspace &workspace);
    int writeResults(const std::vector<Operations::Measurement> &measurements);
    int writeCrossSection(const CrossSectionOutput &section,
                          const std::shared_ptr<Model::Automaton::TotalVolume> &target);

    const BatchOptions &m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    Util::RunControl *m_control = nullptr;
    std::function<void(const QString &)> m_outputObserver;
    SweepRow m_sweepRow;
};

} // namespace BatchRun
} // namespace Core
