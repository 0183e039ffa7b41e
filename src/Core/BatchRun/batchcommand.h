#pragma once

#include "Core/BatchRun/batchoptions.h"
#include "Core/BatchRun/resultsfile.h"
#include "Core/Formats/studyplot.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QTextStream;

namespace Util {
class RunControl;
}

namespace Core {
class Workspace;
namespace Processes {
class ProcessStep;
}
} // namespace Core

namespace Model {
class Document;
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace BatchRun {

class BatchRunner;
class ResultsCollector;
class ImageFolder;
struct RunSummary;

/// The command-line runner: `cellforge-batch LIST.plst [--input DOC.cfw] [--output OUT.cfw]
/// [--threads N] [--seed N] [--export-vti OUT.vti] [--export-surface OUT.stl|OUT.ply [--surface ALGORITHM]]
/// [--export-csv FIELD OUT.csv] [--netlist OUT.cir [--cell-size-um A]]`. Loads the list, optionally a
/// document whose first cell volume becomes the target, runs the steps with one line each and writes
/// the resulting document, the target volume as VTK image data, the surface of the first cell volume
/// as a mesh, a data field of that volume as CSV and the netlist of its cantilever beams. The images
/// of "Save Image" steps go to one folder (`--images DIR`), replacing files only with
/// `--overwrite-images`. The values of "Measure" steps go to `--results`, planes of the volume to
/// `--cross-section`. `--set` changes values of the list; `--sweep` runs it once per row of a table
/// (one row with `--index` or SLURM_ARRAY_TASK_ID, else every row in worker processes), and
/// `--collect` merges the results of the rows.
class BatchCommand {
public:
    enum ExitCode { Ok = 0, StepFailed = 1, UsageError = 2, InputError = 3, OutputError = 4, Interrupted = 130 };

    using Options = BatchOptions;

    /// Step lines go to `out`, problems to `err`; `progressBar` draws a bar on `err` (a terminal).
    BatchCommand(QTextStream &out, QTextStream &err, bool progressBar = false);

    /// The options of the arguments (without the program name); false with a message when they
    /// are not understood.
    static bool parse(const QStringList &arguments, Options &options, QString *error)
    {
        return BatchOptions::parse(arguments, options, error);
    }
    static QString usage() { return BatchOptions::usage(); }

    /// A stop request (the first SIGINT or SIGTERM) ends the run at the engine's next boundary or
    /// before the next step; nothing is written then and the exit code is Interrupted. A stop while
    /// the outputs are written keeps the first from being committed; after that the output being
    /// written is completed, no further one is begun, and the written ones are named.
    void setRunControl(Util::RunControl *control) { m_control = control; }
    /// Draws a document into an image file for "Save Image" steps (the display library's
    /// off-screen image); false with a message. Without one such steps fail: images cannot be
    /// rendered.
    using ImageRenderer = std::function<bool(const Model::Document &, const QString &fileName, QString *error)>;
    void setImageRenderer(ImageRenderer renderer) { m_imageRenderer = std::move(renderer); }
    /// Called with each output file's name just before it is written.
    void setOutputObserver(std::function<void(const QString &fileName)> observer)
    {
        m_outputObserver = std::move(observer);
    }

    /// What the steps cannot run with, one line each, checked before anything runs: numbers out of
    /// range ("Step 3 (Si Oxidation): ...") and measurements of an unknown kind or material.
    static QStringList stepRefusals(const QList<Processes::ProcessStep> &steps);

    /// Parses and runs; the result is the process's exit code.
    int execute(const QStringList &arguments);
    /// Runs the list once, one row of a sweep or (with the arguments `execute` got) every row of
    /// it, or merges the results of a sweep.
    int run(const Options &options);

private:
    void report(const QString &message);
    void drawProgress(int done, int total);
    /// Reads the list into `steps`; an exit code.
    int loadList(const Options &options, QList<Processes::ProcessStep> &steps);
    /// Reads the document of --input, if any, whose first cell volume becomes the target; an exit code.
    int readInput(const Options &options, Core::Workspace &workspace,
                  std::shared_ptr<Model::Automaton::TotalVolume> &target);
    /// Runs the steps with a line for each (and the progress bar).
    RunSummary runSteps(const Options &options, const QList<Processes::ProcessStep> &steps, const ImageFolder &images,
                        BatchRunner &runner, Core::Workspace &workspace);
    /// Says why a run stopped or failed and that nothing was written; Ok when every step ran.
    int reportUnfinished(const Options &options, const QList<Processes::ProcessStep> &steps, const RunSummary &summary);
    /// Runs the list once, with the options as they are (a sweep's row already chosen).
    int runOnce(const Options &options);
    /// The row of the sweep to run (--index, else SLURM_ARRAY_TASK_ID), or none for every row; an exit code.
    int chooseRow(const Options &options, int rows, std::optional<int> &row);
    /// Every row of the sweep, in worker processes.
    int runSweep(const Options &options, int rows);
    /// --collect.
    int collect(const Options &options);
    /// The figure of --plot: each measurement against the first swept column of numbers.
    static std::optional<Operations::StudyPlot> studyPlot(const ResultsCollector &collector, QString *error);
    /// Says what is wrong with the image names of the steps; false when anything is.
    bool checkImages(const ImageFolder &images, const QList<Processes::ProcessStep> &steps);

    QTextStream &m_out;
    QTextStream &m_err;
    bool m_progressBar;
    Util::RunControl *m_control = nullptr;
    std::function<void(const QString &)> m_outputObserver;
    ImageRenderer m_imageRenderer;
    QStringList m_arguments;
    SweepRow m_sweepRow;
};

} // namespace BatchRun
} // namespace Core
