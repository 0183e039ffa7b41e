#include "Core/BatchRun/batchoptions.h"

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
    if (a == QLatin1String("--threads"))
        return readThreads(*value, options, message);
    QString &file = a == QLatin1String("--input")        ? options.inputFile
                    : a == QLatin1String("--export-vti") ? options.vtiFile
                    : a == QLatin1String("--netlist")    ? options.netlistFile
                                                         : options.outputFile;
    return readFile(a, *value, file, message);
}

/// Takes the argument at `i` and the values it needs, moving `i` onto the last; false with `message`.
bool readArgument(const QStringList &arguments, int &i, BatchOptions &options, QString &message)
{
    static const QStringList valueOptions{"--input",   "--output",       "--threads", "--export-vti",
                                          "--netlist", "--cell-size-um", "--surface", "--export-surface"};
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
    if (options.listFile.isEmpty())
        return QStringLiteral("No process list given.");
    if (options.surfaceAlgorithm && options.surfaceFile.isEmpty())
        return QStringLiteral("--surface chooses the surface of --export-surface, which is missing.");
    if (options.cellSizeUm > 0.0 && options.netlistFile.isEmpty())
        return QStringLiteral("--cell-size-um only applies to a netlist: give --netlist as well.");
    return QString();
}

} // namespace

QString BatchOptions::usage()
{
    return QStringLiteral("Usage: cellforge-batch LIST.plst [--input DOC.cfw] [--output OUT.cfw] [--threads N]\n"
                          "                       [--export-vti OUT.vti]\n"
                          "                       [--export-surface OUT.stl|OUT.ply [--surface ALGORITHM]]\n"
                          "                       [--seed N] [--export-csv FIELD OUT.csv]\n"
                          "                       [--netlist OUT.cir [--cell-size-um A]]\n"
                          "                       [--images DIR] [--overwrite-images] [--verbose]\n"
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
                          "                      sight without their own \"Random Seed\"): the same N\n"
                          "                      gives the same result for any number of threads\n"
                          "  --export-csv FIELD OUT.csv\n"
                          "                      after the run, write the data field FIELD of the first cell\n"
                          "                      volume (e.g. \"Random Walk Particle Count Type P\") as CSV\n"
                          "  --netlist OUT.cir   after the list, extract the cantilever beams of the first\n"
                          "                      cell volume and write their SPICE netlist to this file\n"
                          "  --cell-size-um A    the edge of a cell of size 1 in micrometres for the\n"
                          "                      netlist (default 2.7150, a cell of 2.00129819772e-17 m^3)\n"
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
                          "2 bad arguments or a number of the list out of its range, 3 a file could not be\n"
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
