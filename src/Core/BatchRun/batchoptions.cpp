#include "Core/BatchRun/batchoptions.h"

#include "Core/BatchRun/resultsfile.h"
#include "Core/Formats/crosssection.h"
#include "Core/Formats/studyplot.h"
#include "Core/Formats/surfaceexport.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/Persistence/surfacemeshfile.h"

namespace Core {
namespace BatchRun {

namespace {

/// The value after option `a` at `i`, moving `i` onto it; nothing (and `message`) when there is none.
std::optional<QString> valueOf(const QStringList &arguments, int &i, const QString &a, QString &message)
{
    if (i + 1 >= arguments.size()) {
        message = QStringLiteral("Option %1 needs a value.").arg(a);
        return std::nullopt;
    }
    return arguments.at(++i);
}

bool readImages(const QStringList &arguments, int &i, BatchOptions &options, QString &message)
{
    if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
        message = QStringLiteral("Option --images needs a folder.");
    else if (!options.imagesFolder.isEmpty())
        message = QStringLiteral("Option --images is given twice.");
    else
        options.imagesFolder = arguments.at(++i);
    return message.isEmpty();
}

bool readExportCsv(const QStringList &arguments, int &i, BatchOptions &options, QString &message)
{
    const QString needs = QStringLiteral("Option --export-csv needs a field name and a file name.");
    if (i + 2 >= arguments.size()) {
        message = needs;
    } else if (!options.exportFile.isEmpty()) {
        message = QStringLiteral("Option --export-csv is given twice.");
    } else {
        options.exportField = arguments.at(++i);
        options.exportFile = arguments.at(++i);
        if (options.exportField.isEmpty() || options.exportFile.isEmpty())
            message = needs;
    }
    return message.isEmpty();
}

bool readSeed(const QStringList &arguments, int &i, BatchOptions &options, QString &message)
{
    if (i + 1 >= arguments.size()) {
        message = QStringLiteral("Option --seed needs a value.");
        return false;
    }
    const QString value = arguments.at(++i);
    bool ok = false;
    const qulonglong seed = value.toULongLong(&ok);
    if (!ok) {
        message = QStringLiteral("--seed needs a whole number from 0 to 18446744073709551615, not \"%1\".").arg(value);
        return false;
    }
    options.seed = seed;
    return true;
}

bool readSurfaceAlgorithm(const QString &value, BatchOptions &options, QString &message)
{
    const auto algorithm = SurfaceExport::algorithmNamed(value);
    if (!algorithm) {
        message = QStringLiteral("--surface takes %1, not \"%2\".")
                      .arg(SurfaceExport::algorithmNames().join(QStringLiteral(", ")), value);
        return false;
    }
    options.surfaceAlgorithm = *algorithm;
    return true;
}

bool readSurfaceFile(const QString &value, BatchOptions &options, QString &message)
{
    using Model::Persistence::SurfaceMeshFile;
    if (!options.surfaceFile.isEmpty())
        message = QStringLiteral("Option --export-surface is given twice.");
    else if (SurfaceMeshFile::formatOf(value) == SurfaceMeshFile::Format::Unknown)
        message = QStringLiteral("--export-surface needs a file name ending in .stl or .ply, not \"%1\".").arg(value);
    else
        options.surfaceFile = value;
    return message.isEmpty();
}

bool readResultsFile(const QString &value, BatchOptions &options, QString &message)
{
    if (!options.resultsFile.isEmpty())
        message = QStringLiteral("Option --results is given twice.");
    else if (ResultsFile::formatOf(value) == ResultsFile::Format::Unknown)
        message = QStringLiteral("--results needs a file name ending in .csv or .json, not \"%1\".").arg(value);
    else
        options.resultsFile = value;
    return message.isEmpty();
}

bool readCellSize(const QString &value, BatchOptions &options, QString &message)
{
    // Outside this range the masses or compliances of the netlist leave the double numbers.
    using Model::ModelExtraction::CantileverStructure;
    bool ok = false;
    const double size = value.toDouble(&ok);
    if (!ok || !(size >= CantileverStructure::smallestCellEdgeUm) ||
        !(size <= CantileverStructure::largestCellEdgeUm)) {
        message = QStringLiteral("--cell-size-um needs a length in micrometres from %1 to %2, not \"%3\".")
                      .arg(CantileverStructure::smallestCellEdgeUm, 0, 'g', 6)
                      .arg(CantileverStructure::largestCellEdgeUm, 0, 'g', 6)
                      .arg(value);
        return false;
    }
    options.cellSizeUm = size;
    return true;
}

bool readThreads(const QString &value, BatchOptions &options, QString &message)
{
    bool ok = false;
    options.threads = value.toInt(&ok);
    if (!ok || options.threads < 1)
        message = QStringLiteral("--threads needs a whole number of at least 1, not \"%1\".").arg(value);
    return message.isEmpty();
}

/// The file of --input, --output, --export-vti or --netlist.
bool readFile(const QString &a, const QString &value, QString &file, QString &message)
{
    if (!file.isEmpty())
        message = QStringLiteral("Option %1 is given twice.").arg(a);
    else if (value.isEmpty())
        message = QStringLiteral("Option %1 needs a file name.").arg(a);
    else
        file = value;
    return message.isEmpty();
}

/// An option with one value: a file, the thread count, the cell size or the surface.
bool readValueOption(const QStringList &arguments, int &i, BatchOptions &options, QString &message)
{
    const QString a = arguments.at(i);
    const auto value = valueOf(arguments, i, a, message);
    if (!value)
        return false;
    if (a == QLatin1String("--surface"))
        return readSurfaceAlgorithm(*value, options, message);
    if (a == QLatin1String("--export-surface"))
        return readSurfaceFile(*value, options, message);
    if (a == QLatin1String("--cell-size-um"))
        return readCellSize(*value, options, message);
    if (a == QLatin1String("--results"))
        return readResultsFile(*value, options, message);
    if (a == QLatin1String("--threads"))
        return readThreads(*value, options, message);
    QString &file = a == QLatin1String("--input")        ? options.inputFile
                    : a == QLatin1String("--export-vti") ? options.vtiFile
                    : a == QLatin1String("--netlist")    ? options.netlistFile
                                                         : options.outputFile;
    return readFile(a, *value, file, message);
}

/// --cross-section AXIS=INDEX FILE.
bool readCrossSection(const QStringList &arguments, int &i, BatchOptions &options, QString &message)
{
    if (i + 2 >= arguments.size() || arguments.at(i + 1).isEmpty() || arguments.at(i + 2).isEmpty()) {
        message = QStringLiteral("Option --cross-section needs AXIS=INDEX and a file name.");
        return false;
    }
    const QString plane = arguments.at(++i);
    const QString file = arguments.at(++i);
    CrossSectionOutput output;
    bool ok = false;
    output.index = plane.mid(2).toUInt(&ok);
    if (!ok || plane.size() < 3 || plane.at(1) != QLatin1Char('=') ||
        (plane.at(0) != QLatin1Char('x') && plane.at(0) != QLatin1Char('y'))) {
        message = QStringLiteral("--cross-section takes x=INDEX or y=INDEX, not \"%1\".").arg(plane);
        return false;
    }
    if (!Core::Operations::CrossSection::isWritable(file)) {
        message = QStringLiteral("--cross-section writes a file ending in .svg or .png, not \"%1\".").arg(file);
        return false;
    }
    output.acrossX = plane.at(0) == QLatin1Char('x');
    output.file = file;
    options.crossSections << output;
    return true;
}

/// A whole number of at least `least` for option `a`.
bool readCount(const QString &a, const QString &value, int least, int &count, QString &message)
{
    bool ok = false;
    count = value.toInt(&ok);
    if (!ok || count < least)
        message = QStringLiteral("%1 needs a whole number of at least %2, not \"%3\".").arg(a).arg(least).arg(value);
    return message.isEmpty();
}

/// --set, --sweep, --index, --jobs or --collect with their values.
bool readSweepArgument(const QStringList &arguments, int &i, BatchOptions &options, QString &message)
{
    const QString a = arguments.at(i);
    if (a == QLatin1String("--collect")) {
        if (i + 2 >= arguments.size() || arguments.at(i + 1).isEmpty() || arguments.at(i + 2).isEmpty())
            message = QStringLiteral("Option --collect needs a folder and a file name.");
        else if (!options.collectFolder.isEmpty())
            message = QStringLiteral("Option --collect is given twice.");
        else if (!arguments.at(i + 2).endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            message = QStringLiteral("--collect writes a table ending in .csv, not \"%1\".").arg(arguments.at(i + 2));
        if (!message.isEmpty())
            return false;
        options.collectFolder = arguments.at(++i);
        options.collectFile = arguments.at(++i);
        return true;
    }
    const auto value = valueOf(arguments, i, a, message);
    if (!value)
        return false;
    if (a == QLatin1String("--plot")) {
        if (!options.plotFile.isEmpty())
            message = QStringLiteral("Option --plot is given twice.");
        else if (!Operations::StudyPlot::isWritable(*value))
            message = QStringLiteral("--plot draws a figure ending in .svg or .png, not \"%1\".").arg(*value);
        else
            options.plotFile = *value;
    } else if (a == QLatin1String("--set")) {
        const auto given = ParameterOverride::fromText(*value);
        if (!given)
            message = QStringLiteral("--set needs STEP.PARAMETER=VALUE, not \"%1\".").arg(*value);
        else
            options.overrides << *given;
    } else if (a == QLatin1String("--sweep")) {
        readFile(a, *value, options.sweepFile, message);
    } else if (a == QLatin1String("--index")) {
        int index = 0;
        if (options.index)
            message = QStringLiteral("Option --index is given twice.");
        else if (readCount(a, *value, 0, index, message))
            options.index = index;
    } else {
        readCount(a, *value, 1, options.jobs, message);
    }
    return message.isEmpty();
}

/// Takes the argument at `i` and the values it needs, moving `i` onto the last; false with `message`.
bool readArgument(const QStringList &arguments, int &i, BatchOptions &options, QString &message)
{
    static const QStringList valueOptions{"--input",      "--output",         "--threads",
                                          "--export-vti", "--netlist",        "--cell-size-um",
                                          "--surface",    "--export-surface", "--results"};
    const QString &a = arguments.at(i);
    if (a == QLatin1String("--verbose")) {
        options.verbose = true;
        return true;
    }
    if (a == QLatin1String("--overwrite-images")) {
        options.overwriteImages = true;
        return true;
    }
    if (a == QLatin1String("--images"))
        return readImages(arguments, i, options, message);
    if (a == QLatin1String("--export-csv"))
        return readExportCsv(arguments, i, options, message);
    if (a == QLatin1String("--seed"))
        return readSeed(arguments, i, options, message);
    if (a == QLatin1String("--cross-section"))
        return readCrossSection(arguments, i, options, message);
    static const QStringList sweepOptions{"--set", "--sweep", "--index", "--jobs", "--collect", "--plot"};
    if (sweepOptions.contains(a))
        return readSweepArgument(arguments, i, options, message);
    if (valueOptions.contains(a))
        return readValueOption(arguments, i, options, message);
    if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
        message = QStringLiteral("Unknown option \"%1\".").arg(a);
        return false;
    }
    if (!options.listFile.isEmpty()) {
        message = QStringLiteral("Only one process list can be run at a time (got \"%1\" and \"%2\").")
                      .arg(options.listFile, a);
        return false;
    }
    options.listFile = a;
    return true;
}

/// What the options lack or hold in vain once every argument is read; empty when nothing.
QString incompleteness(const BatchOptions &options)
{
    if (!options.plotFile.isEmpty() && options.collectFolder.isEmpty())
        return QStringLiteral("--plot draws the table of --collect, which is missing.");
    if (!options.collectFolder.isEmpty())
        return QString(); // a merge of results needs nothing else
    if (options.listFile.isEmpty())
        return QStringLiteral("No process list given.");
    if (options.index && options.sweepFile.isEmpty())
        return QStringLiteral("--index chooses a row of --sweep, which is missing.");
    if (options.jobs > 0 && options.sweepFile.isEmpty())
        return QStringLiteral("--jobs runs the rows of --sweep, which is missing.");
    if (options.surfaceAlgorithm && options.surfaceFile.isEmpty())
        return QStringLiteral("--surface chooses the surface of --export-surface, which is missing.");
    if (options.cellSizeUm > 0.0 && options.netlistFile.isEmpty() && options.resultsFile.isEmpty() &&
        options.crossSections.isEmpty())
        return QStringLiteral("--cell-size-um only applies to a netlist, results or cross-sections: give --netlist, "
                              "--results or --cross-section as well.");
    return QString();
}

} // namespace

QString BatchOptions::usage()
{
    return QStringLiteral("Usage: cellforge-batch LIST.plst [--input DOC.cfw] [--output OUT.cfw] [--threads N]\n"
                          "                       [--export-vti OUT.vti]\n"
                          "                       [--export-surface OUT.stl|OUT.ply [--surface ALGORITHM]]\n"
                          "                       [--seed N] [--export-csv FIELD OUT.csv]\n"
                          "                       [--netlist OUT.cir] [--results OUT.csv|OUT.json]\n"
                          "                       [--cross-section x=INDEX|y=INDEX OUT.svg|OUT.png]...\n"
                          "                       [--cell-size-um A]\n"
                          "                       [--images DIR] [--overwrite-images] [--verbose]\n"
                          "                       [--set STEP.PARAMETER=VALUE]...\n"
                          "                       [--sweep TABLE.csv [--index N | --jobs K]]\n"
                          "       cellforge-batch --collect DIR OUT.csv [--plot FIGURE.svg|FIGURE.png]\n"
                          "Runs the steps of a process list without a window.\n"
                          "\n"
                          "  --input DOC.cfw     run the list on the first cell volume of this document\n"
                          "  --output OUT.cfw    write the resulting document to this file\n"
                          "  --threads N         use N worker threads (N >= 1)\n"
                          "  --export-vti OUT.vti  write the resulting cell volume as VTK image data\n"
                          "  --export-surface OUT.stl|OUT.ply\n"
                          "                      write the surface of the first cell volume as a mesh:\n"
                          "                      binary STL, or PLY with face colours\n"
                          "  --surface cubic|marching-cubes|octree\n"
                          "                      the surface to export (default cubic)\n"
                          "  --seed N            repeatable random steps (random-walk doping, line of\n"
                          "                      sight and Bosch etching without their own \"Random\n"
                          "                      Seed\"): the same N gives the same result for any\n"
                          "                      number of threads\n"
                          "  --export-csv FIELD OUT.csv\n"
                          "                      after the run, write the data field FIELD of the first cell\n"
                          "                      volume (e.g. \"Random Walk Particle Count Type P\") as CSV;\n"
                          "                      \"Line-of-Sight Flux\": the last line-of-sight step's flux\n"
                          "                      per surface cell, rows x,y,z,flux (1: a flat open surface)\n"
                          "  --netlist OUT.cir   after the list, extract the cantilever beams of the first\n"
                          "                      cell volume and write their SPICE netlist to this file\n"
                          "  --results OUT.csv|OUT.json\n"
                          "                      write what the \"Measure\" steps measured, one row each:\n"
                          "                      name, kind, value, unit and the step after which it was taken\n"
                          "  --cross-section x=INDEX|y=INDEX OUT.svg|OUT.png\n"
                          "                      after the run, draw that plane of the first cell volume: a\n"
                          "                      rectangle per run of a material, a legend and a scale bar\n"
                          "                      (repeatable)\n"
                          "  --cell-size-um A    the edge of a cell of size 1 in micrometres for the\n"
                          "                      netlist (default 2.7150, a cell of 2.00129819772e-17 m^3)\n"
                          "                      and for results and cross-sections in µm (without it, cells)\n"
                          "  --set STEP.PARAMETER=VALUE\n"
                          "                      give parameter PARAMETER of step STEP (from 1) this value for\n"
                          "                      this run, checked as the list's own (repeatable; a material\n"
                          "                      by its name)\n"
                          "  --sweep TABLE.csv   run the list once per row of the table, whose header names\n"
                          "                      STEP.PARAMETER columns; \"{index}\" in output names becomes\n"
                          "                      the row's index (from 0)\n"
                          "  --index N           run row N of the sweep only (default: SLURM_ARRAY_TASK_ID\n"
                          "                      when it is set, else every row)\n"
                          "  --jobs K            run K rows at a time, each in its own process (default:\n"
                          "                      one per core); the outputs do not depend on K\n"
                          "  --collect DIR OUT.csv\n"
                          "                      merge the results files of a sweep in DIR into one table,\n"
                          "                      one line per row, rows without results listed as missing\n"
                          "  --plot FIGURE.svg|FIGURE.png\n"
                          "                      with --collect, draw each measurement against the first\n"
                          "                      swept parameter whose values are numbers\n"
                          "  --images DIR        the folder where \"Save Image\" steps write: their file names\n"
                          "                      are taken inside it (default: the folder of --output,\n"
                          "                      else the working folder)\n"
                          "  --overwrite-images  let \"Save Image\" steps replace images that exist\n"
                          "  --verbose           say on standard error when each step starts\n"
                          "  --help              show this text\n"
                          "  --version           show the program's version\n"
                          "\n"
                          "Without --input the list must begin with \"Create Substrate\".\n"
                          "Exit status: 0 every step ran, 1 a step failed, the field to export is missing\n"
                          "or no beam was found,\n"
                          "2 bad arguments, a number of the list out of its range or a measurement that\n"
                          "cannot be taken (outside the volume, an unknown material), 3 a file could not be\n"
                          "read, 4 an output could not be written,\n"
                          "130 stopped by SIGINT or SIGTERM (nothing written; once an output was written, the\n"
                          "one being written is completed and the rest is not; a second signal quits at once).\n"
                          "A file-size limit (SIGXFSZ) fails the write with exit status 4.\n");
}

bool BatchOptions::parse(const QStringList &arguments, BatchOptions &options, QString *error)
{
    options = BatchOptions();
    QString message;
    for (int i = 0; i < arguments.size() && message.isEmpty(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            options.help = true;
            return true;
        }
        if (a == QLatin1String("--version")) {
            options.version = true;
            return true;
        }
        readArgument(arguments, i, options, message);
    }
    if (message.isEmpty())
        message = incompleteness(options);
    if (!message.isEmpty() && error)
        *error = message;
    return message.isEmpty();
}

} // namespace BatchRun
} // namespace Core
