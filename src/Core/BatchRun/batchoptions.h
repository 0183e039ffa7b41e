#pragma once

#include "Core/BatchRun/parameteroverride.h"
#include "Model/Volume/surfacealgorithm.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace Core {
namespace BatchRun {

/// A cross-section to draw after the run: the plane x = index (or y = index) of the first cell volume.
struct CrossSectionOutput {
    bool acrossX = true;
    uint32_t index = 0;
    QString file; ///< .svg or .png
};

/// The arguments of `cellforge-batch`: the list to run, the document to start from, the outputs to
/// write and how to run. `parse` reads them from the command line (without the program name);
/// `usage` is the text that explains them.
struct BatchOptions {
    QString listFile;
    QString inputFile;
    QString outputFile;
    QString vtiFile;
    int threads = 0; ///< 0: the pool's default
    QString surfaceFile;
    /// Not given: cubic faces.
    std::optional<Model::Automaton::SurfaceAlgorithm> surfaceAlgorithm;
    std::optional<uint64_t> seed;
    QString exportField; ///< a data field of the first cell volume, written after the run
    QString exportFile;
    QString netlistFile;
    QString resultsFile;     ///< the measurements of "Measure" steps, as .csv or .json
    double cellSizeUm = 0.0; ///< the edge of a cell of size 1 in micrometres; 0: the default
    bool verbose = false;    ///< a line on standard error when each step starts
    bool help = false;
    bool version = false; ///< print the program's name and version

    QList<CrossSectionOutput> crossSections; ///< --cross-section, in the order given
    QList<ParameterOverride> overrides;      ///< --set, in the order given
    QString sweepFile;                       ///< a table of variants, one run each
    std::optional<int> index;                ///< --index: the one row of the sweep to run
    int jobs = 0;                            ///< worker processes that run the rows of a sweep; 0: one per core
    QString collectFolder;                   ///< --collect: merge the results files of this folder...
    QString collectFile;                     ///< ...into this table
    QString plotFile;                        ///< --plot: a figure of the collected measurements (.svg or .png)

    QString imagesFolder;         ///< where "Save Image" steps write; empty: the default folder
    bool overwriteImages = false; ///< "Save Image" steps may replace existing files

    /// The options of the arguments; false with a message when they are not understood.
    static bool parse(const QStringList &arguments, BatchOptions &options, QString *error);
    static QString usage();
};

} // namespace BatchRun
} // namespace Core
