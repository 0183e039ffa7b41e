#include "Core/BatchRun/batchcommand.h"

#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/documentio.h"
#include "Core/BatchRun/imagefolder.h"
#include "Core/BatchRun/offscreenimage.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Formats/cellvolumevtiwriter.h"
#include "Core/Formats/csvdataexporter.h"
#include "Core/Formats/surfaceexport.h"
#include "Core/workspace.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/ModelExtraction/cuboiddecomposition.h"
#include "Model/ModelExtraction/extractedmodel.h"
#include "Model/ModelExtraction/netlistfile.h"
#include "Model/Persistence/surfacemeshfile.h"
#include "Util/failuretext.h"
#include "Util/runcontrol.h"
#include "Util/safefile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QThreadPool>

#include <cmath>
#include <exception>
#include <functional>
#include <utility>
#include <vector>

namespace Core {
namespace BatchRun {

BatchCommand::BatchCommand(QTextStream &out, QTextStream &err, bool progressBar)
    : m_out(out)
    , m_err(err)
    , m_progressBar(progressBar)
{
}

QString BatchCommand::usage()
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
                          "  --seed N            repeatable random steps (random-walk doping): the same N\n"
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

bool BatchCommand::parse(const QStringList &arguments, Options &options, QString *error)
{
    options = Options();
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            options.help = true;
            return true;
        }
        if (a == QLatin1String("--version")) {
            options.version = true;
            return true;
        }
        if (a == QLatin1String("--verbose")) {
            options.verbose = true;
            continue;
        }
        if (a == QLatin1String("--overwrite-images")) {
            options.overwriteImages = true;
            continue;
        }
        if (a == QLatin1String("--images")) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                return fail(QStringLiteral("Option --images needs a folder."));
            if (!options.imagesFolder.isEmpty())
                return fail(QStringLiteral("Option --images is given twice."));
            options.imagesFolder = arguments.at(++i);
            continue;
        }
        if (a == QLatin1String("--export-csv")) {
            if (i + 2 >= arguments.size())
                return fail(QStringLiteral("Option --export-csv needs a field name and a file name."));
            if (!options.exportFile.isEmpty())
                return fail(QStringLiteral("Option --export-csv is given twice."));
            options.exportField = arguments.at(++i);
            options.exportFile = arguments.at(++i);
            if (options.exportField.isEmpty() || options.exportFile.isEmpty())
                return fail(QStringLiteral("Option --export-csv needs a field name and a file name."));
            continue;
        }
        if (a == QLatin1String("--seed")) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("Option --seed needs a value."));
            const QString value = arguments.at(++i);
            bool ok = false;
            const qulonglong seed = value.toULongLong(&ok);
            if (!ok)
                return fail(QStringLiteral("--seed needs a whole number from 0 to 18446744073709551615, not \"%1\".")
                                .arg(value));
            options.seed = seed;
            continue;
        }
        if (a == QLatin1String("--export-surface") || a == QLatin1String("--surface")) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("Option %1 needs a value.").arg(a));
            const QString value = arguments.at(++i);
            if (a == QLatin1String("--surface")) {
                const auto algorithm = SurfaceExport::algorithmNamed(value);
                if (!algorithm)
                    return fail(QStringLiteral("--surface takes %1, not \"%2\".")
                                    .arg(SurfaceExport::algorithmNames().join(QStringLiteral(", ")), value));
                options.surfaceAlgorithm = int(*algorithm);
            } else {
                if (!options.surfaceFile.isEmpty())
                    return fail(QStringLiteral("Option %1 is given twice.").arg(a));
                if (Model::Persistence::SurfaceMeshFile::formatOf(value) ==
                    Model::Persistence::SurfaceMeshFile::Format::Unknown)
                    return fail(QStringLiteral("--export-surface needs a file name ending in .stl or .ply, not \"%1\".")
                                    .arg(value));
                options.surfaceFile = value;
            }
            continue;
        }
        if (a == QLatin1String("--input") || a == QLatin1String("--output") || a == QLatin1String("--threads") ||
            a == QLatin1String("--export-vti") || a == QLatin1String("--netlist") ||
            a == QLatin1String("--cell-size-um")) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("Option %1 needs a value.").arg(a));
            const QString value = arguments.at(++i);
            QString &target = a == QLatin1String("--input")        ? options.inputFile
                              : a == QLatin1String("--export-vti") ? options.vtiFile
                              : a == QLatin1String("--netlist")    ? options.netlistFile
                                                                   : options.outputFile;
            if (a == QLatin1String("--cell-size-um")) {
                // Outside this range the masses or compliances of the netlist leave the double numbers.
                using Model::ModelExtraction::CantileverStructure;
                bool ok = false;
                const double size = value.toDouble(&ok);
                if (!ok || !(size >= CantileverStructure::smallestCellEdgeUm) ||
                    !(size <= CantileverStructure::largestCellEdgeUm))
                    return fail(
                        QStringLiteral("--cell-size-um needs a length in micrometres from %1 to %2, not \"%3\".")
                            .arg(CantileverStructure::smallestCellEdgeUm, 0, 'g', 6)
                            .arg(CantileverStructure::largestCellEdgeUm, 0, 'g', 6)
                            .arg(value));
                options.cellSizeUm = size;
            } else if (a == QLatin1String("--threads")) {
                bool ok = false;
                options.threads = value.toInt(&ok);
                if (!ok || options.threads < 1)
                    return fail(QStringLiteral("--threads needs a whole number of at least 1, not \"%1\".").arg(value));
            } else {
                if (!target.isEmpty())
                    return fail(QStringLiteral("Option %1 is given twice.").arg(a));
                if (value.isEmpty())
                    return fail(QStringLiteral("Option %1 needs a file name.").arg(a));
                target = value;
            }
            continue;
        }
        if (a.startsWith(QLatin1Char('-')) && a.size() > 1)
            return fail(QStringLiteral("Unknown option \"%1\".").arg(a));
        if (!options.listFile.isEmpty())
            return fail(QStringLiteral("Only one process list can be run at a time (got \"%1\" and \"%2\").")
                            .arg(options.listFile, a));
        options.listFile = a;
    }
    if (options.listFile.isEmpty())
        return fail(QStringLiteral("No process list given."));
    if (options.surfaceAlgorithm >= 0 && options.surfaceFile.isEmpty())
        return fail(QStringLiteral("--surface chooses the surface of --export-surface, which is missing."));
    if (options.cellSizeUm > 0.0 && options.netlistFile.isEmpty())
        return fail(QStringLiteral("--cell-size-um only applies to a netlist: give --netlist as well."));
    return true;
}

int BatchCommand::execute(const QStringList &arguments)
{
    Options options;
    QString error;
    if (!parse(arguments, options, &error)) {
        m_err << "cellforge-batch: " << error << "\n" << usage();
        m_err.flush();
        return UsageError;
    }
    if (options.help) {
        m_out << usage();
        m_out.flush();
        return Ok;
    }
    if (options.version) {
        m_out << "cellforge-batch " << QCoreApplication::applicationVersion() << "\n";
        m_out.flush();
        return Ok;
    }
    return run(options);
}

void BatchCommand::drawProgress(int done, int total)
{
    if (!m_progressBar || total <= 0)
        return;
    constexpr int width = 30;
    const int filled = done * width / total;
    m_err << "\r[" << QString(filled, QLatin1Char('#')) << QString(width - filled, QLatin1Char('.')) << "] " << done
          << "/" << total;
    if (done == total)
        m_err << "\n";
    m_err.flush();
}

int BatchCommand::exportField(const Options &options, Core::Workspace &workspace)
{
    Model::Automaton::TotalVolumePtr volume;
    for (const auto &object : workspace.document().allObjects()) {
        if ((volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)))
            break;
    }
    auto report = [this](const QString &message) {
        m_err << "cellforge-batch: " << message << "\n";
        m_err.flush();
    };
    if (!volume) {
        report(QStringLiteral("Nothing was exported: there is no cell volume to take \"%1\" from.")
                   .arg(options.exportField));
        return StepFailed;
    }
    const QVariant data = volume->field(options.exportField);
    if (!data.isValid()) {
        const QStringList names = volume->fieldNames();
        report(QStringLiteral("Nothing was exported: the cell volume has no field \"%1\" (%2).")
                   .arg(options.exportField, names.isEmpty()
                                                 ? QStringLiteral("it has no data fields")
                                                 : QStringLiteral("its fields: \"") +
                                                       names.join(QStringLiteral("\", \"")) + QLatin1Char('"')));
        return StepFailed;
    }
    Core::Operations::CSVDataExporter exporter(options.exportFile);
    if (exporter.saveDataToFile(options.exportField, data, volume->sizeX(), volume->sizeY(), volume->sizeZ()) != 0) {
        report(QStringLiteral("Could not export \"%1\" to \"%2\": %3")
                   .arg(options.exportField, options.exportFile, exporter.errorString()));
        return Core::Operations::CSVDataExporter::isExportable(options.exportField) ? OutputError : StepFailed;
    }
    return Ok;
}

int BatchCommand::run(const Options &options)
{
    auto report = [this](const QString &message) {
        m_err << "cellforge-batch: " << message << "\n";
        m_err.flush();
    };

    if (options.threads > 0)
        QThreadPool::globalInstance()->setMaxThreadCount(options.threads);

    const QFileInfo listInfo(options.listFile);
    if (!listInfo.exists() || !listInfo.isFile()) {
        report(QStringLiteral("The process list \"%1\" does not exist.").arg(options.listFile));
        return InputError;
    }
    ProcessListFile listFile;
    if (!listFile.load(options.listFile)) {
        report(listFile.errorString());
        return InputError;
    }
    for (const QString &note : listFile.materialReport())
        report(note);
    if (listFile.wasUpgraded())
        report(QStringLiteral("warning: ") + ProcessListFile::upgradeText());
    const QList<Processes::ProcessStep> steps = listFile.steps();
    // A number that no step takes is refused before anything runs, as a bad argument is.
    const QStringList refusals = BatchRunner::rangeRefusals(steps);
    if (!refusals.isEmpty()) {
        for (const QString &refusal : refusals)
            report(refusal);
        report(QStringLiteral("No step was run."));
        return UsageError;
    }

    // This workspace never undoes: it makes no undo or redo file, and a killed run leaves none behind.
    Core::Workspace workspace(Core::UndoFiles::Storage::None);
    Model::Automaton::TotalVolumePtr target;
    if (!options.inputFile.isEmpty()) {
        if (!QFileInfo(options.inputFile).isFile()) {
            report(QStringLiteral("The document \"%1\" does not exist.").arg(options.inputFile));
            return InputError;
        }
        QString error;
        QStringList notes;
        if (!DocumentIo::read(options.inputFile, workspace, &error, &notes)) {
            report(error);
            return InputError;
        }
        for (const QString &note : notes)
            report(note);
        for (const auto &object : workspace.document().allObjects()) {
            if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)) {
                target = volume;
                break;
            }
        }
    }
    QString outputError;
    if (!options.outputFile.isEmpty() && !DocumentIo::canWrite(options.outputFile, &outputError)) {
        // Every output is tried before a long run rather than after it.
        report(outputError);
        return OutputError;
    }
    if (!options.vtiFile.isEmpty()) {
        const QString refusal = Util::SafeFile::unwritable(options.vtiFile);
        if (!refusal.isEmpty()) {
            report(QStringLiteral("The cell volume cannot be exported to \"%1\": %2").arg(options.vtiFile, refusal));
            return OutputError;
        }
    }
    if (!options.surfaceFile.isEmpty()) {
        QString refusal = Model::Persistence::SurfaceMeshFile::refusal(options.surfaceFile);
        if (refusal.isEmpty())
            refusal = Util::SafeFile::unwritable(options.surfaceFile);
        if (!refusal.isEmpty()) {
            report(Model::Persistence::SurfaceMeshFile::exportError(options.surfaceFile, refusal));
            return OutputError;
        }
    }
    if (!options.exportFile.isEmpty()) {
        const QString refusal = Util::SafeFile::unwritable(options.exportFile);
        if (!refusal.isEmpty()) {
            report(QStringLiteral("Cannot export to \"%1\": %2").arg(options.exportFile, refusal));
            return OutputError;
        }
    }
    if (!options.netlistFile.isEmpty()) {
        const QString refusal = Util::SafeFile::unwritable(options.netlistFile);
        if (!refusal.isEmpty()) {
            report(QStringLiteral("The netlist could not be saved to \"%1\": %2").arg(options.netlistFile, refusal));
            return OutputError;
        }
    }

    // Image names come from the list: they are checked before the first step runs.
    const ImageFolder images(options.imagesFolder.isEmpty() ? ImageFolder::defaultFolder(options.outputFile)
                                                            : options.imagesFolder,
                             options.overwriteImages);
    if (!checkImages(images, steps))
        return OutputError;

    BatchRunner runner(workspace, target);
    runner.setImageFolder(images);
    runner.setSeed(options.seed);
    runner.setListFolder(listInfo.absolutePath());
    runner.setSaveImageHandler([&workspace](const QString &fileName, QString *error) {
        // Nothing is shown here: surfaces live only while an image is drawn.
        OffscreenImage image;
        image.setReleaseSurfaces(true);
        return image.save(workspace.document(), fileName, error);
    });
    const int total = steps.size();
    int done = 0;
    runner.setStepObserver([this, total, &done](const StepRecord &record) {
        if (m_progressBar)
            m_err << "\r" << QString(45, QLatin1Char(' ')) << "\r";
        m_out << record.line(total) << "\n";
        m_out.flush();
        done = record.code == Success ? record.index + 1 : record.index;
        drawProgress(done, total);
    });
    // A number that did not convert still runs as 0, but never without a word.
    runner.setWarningObserver([this, total, &done, &report](const QString &warning) {
        if (m_progressBar)
            m_err << "\r" << QString(45, QLatin1Char(' ')) << "\r";
        report(QStringLiteral("warning: ") + warning);
        drawProgress(done, total);
    });
    if (options.verbose) {
        runner.setStartObserver([this, total, &done, &report](int index, const QString &name) {
            if (m_progressBar)
                m_err << "\r" << QString(45, QLatin1Char(' ')) << "\r";
            report(QStringLiteral("step %1/%2 (%3) started").arg(index + 1).arg(total).arg(name));
            drawProgress(done, total);
        });
    }
    runner.setRunControl(m_control);
    drawProgress(0, total);
    const RunSummary summary = runner.run(steps);
    if (m_progressBar && !summary.succeeded())
        m_err << "\n";

    // A stop asked for after the last step still writes nothing.
    if (summary.stopped || (m_control && m_control->stopRequested())) {
        const bool duringStep = summary.stopped && summary.stoppedIndex >= 0 && summary.stoppedIndex < total &&
                                m_control && m_control->wasStopped();
        const QString where = duringStep ? QStringLiteral(" during step %1 (%2)")
                                               .arg(summary.stoppedIndex + 1)
                                               .arg(displayName(steps.at(summary.stoppedIndex).getProcessType()))
                                         : QString();
        report(QStringLiteral("Stopped%1: %2 of %3 steps ran.").arg(where).arg(summary.done).arg(total));
        for (const QString &file :
             {options.outputFile, options.vtiFile, options.surfaceFile, options.exportFile, options.netlistFile}) {
            if (!file.isEmpty())
                report(QStringLiteral("Nothing was written to \"%1\".").arg(file));
        }
        return Interrupted;
    }

    if (summary.missingVolume) {
        report(
            QStringLiteral("Step %1 (%2) not run: No cell volume was selected and a cell volume was not created. The "
                           "cell volume must be created before any other process.")
                .arg(summary.failure.index + 1)
                .arg(summary.failure.name));
        return StepFailed;
    }
    if (summary.failedIndex >= 0) {
        const StepRecord &f = summary.failure;
        report(QStringLiteral("Step %1 (%2) failed: %3%4")
                   .arg(f.index + 1)
                   .arg(f.name, f.message,
                        f.detail.isEmpty() ? QString() : QStringLiteral(" (") + f.detail + QLatin1Char(')')));
        for (const QString &file : {options.outputFile, options.vtiFile, options.surfaceFile, options.exportFile}) {
            if (!file.isEmpty())
                report(QStringLiteral("Nothing was written to \"%1\".").arg(file));
        }
        return StepFailed;
    }

    return writeOutputs(options, workspace, runner.target());
}

int BatchCommand::writeOutputs(const Options &options, Core::Workspace &workspace,
                               const Model::Automaton::TotalVolumePtr &target)
{
    auto report = [this](const QString &message) {
        m_err << "cellforge-batch: " << message << "\n";
        m_err.flush();
    };
    auto writeDocument = [&] {
        QString error;
        if (DocumentIo::write(options.outputFile, workspace, &error))
            return int(Ok);
        report(error);
        return int(OutputError);
    };
    auto writeVti = [&] {
        QString error = QStringLiteral("There is no cell volume to export to \"%1\".").arg(options.vtiFile);
        if (target && Core::Operations::CellVolumeVtiWriter(*target).write(options.vtiFile, &error))
            return int(Ok);
        report(error);
        return int(OutputError);
    };
    const std::vector<std::pair<QString, std::function<int()>>> outputs{
        {options.outputFile, writeDocument},
        {options.vtiFile, writeVti},
        {options.surfaceFile, [&] { return exportSurface(options, workspace); }},
        {options.exportFile, [&] { return exportField(options, workspace); }},
        {options.netlistFile, [&] { return writeNetlist(options, workspace); }}};
    auto stopRequested = [this] { return m_control && m_control->stopRequested(); };

    // A stop (SIGINT, SIGTERM) before the first output is complete writes nothing: that file is not
    // committed. Once one is, a stop lets the file being written be completed and no further one begun.
    Util::SafeFile::holdCommitsOnStop(m_control);
    QStringList written;
    int status = Ok;
    for (const auto &[file, write] : outputs) {
        if (file.isEmpty())
            continue;
        if (stopRequested())
            break;
        if (m_outputObserver)
            m_outputObserver(file);
        status = write();
        if (status != Ok)
            break;
        written << file;
        Util::SafeFile::holdCommitsOnStop(nullptr);
    }
    Util::SafeFile::holdCommitsOnStop(nullptr);
    if (!stopRequested())
        return status;
    report(QStringLiteral("Stopped while the outputs were written, after every step ran."));
    for (const auto &output : outputs) {
        if (!output.first.isEmpty())
            report((written.contains(output.first) ? QStringLiteral("Written: \"%1\".")
                                                   : QStringLiteral("Nothing was written to \"%1\"."))
                       .arg(output.first));
    }
    return Interrupted;
}

bool BatchCommand::checkImages(const ImageFolder &images, const QList<Processes::ProcessStep> &steps)
{
    bool existing = false;
    const auto findings = images.check(steps);
    for (const ImageFolder::Finding &finding : findings) {
        m_err << "cellforge-batch: " << finding.text << "\n";
        existing = existing || finding.existingFile;
    }
    if (existing)
        m_err << "cellforge-batch: Give --overwrite-images to replace existing images.\n";
    m_err.flush();
    return findings.empty();
}

int BatchCommand::writeNetlist(const Options &options, Core::Workspace &workspace)
{
    using namespace Model::ModelExtraction;
    auto report = [this](const QString &message) {
        m_err << "cellforge-batch: " << message << "\n";
        m_err.flush();
    };
    Model::Automaton::TotalVolumePtr volume;
    for (const auto &object : workspace.document().allObjects()) {
        if ((volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)))
            break;
    }
    if (!volume) {
        report(QStringLiteral("There is no cell volume to extract a model from."));
        return StepFailed;
    }
    // The same three steps as the Extract Model dialog: boxes, beams, netlist.
    StructurePtr structure;
    try {
        CuboidDecomposition decomposition(*volume);
        const ExtractedModel boxes(decomposition.run(),
                                   Util::Vector3D(volume->cellSizeX(), volume->cellSizeY(), volume->cellSizeZ()));
        CantileverModelRule rule;
        structure = rule.apply(boxes);
    } catch (const std::exception &error) {
        report(Util::failureText(error, QStringLiteral("extract the model")));
        return StepFailed;
    }
    auto cantilever = std::dynamic_pointer_cast<CantileverStructure>(structure);
    if (!cantilever) {
        report(QStringLiteral("No model data was extracted."));
        return StepFailed;
    }
    if (options.cellSizeUm > 0.0)
        cantilever->setLengthPerUnit(options.cellSizeUm * 1.0e-6);
    QString error;
    const QString text = cantilever->netlist(&error);
    if (text.isEmpty()) {
        report(error);
        return StepFailed;
    }
    if (!NetlistFile::write(options.netlistFile, text, &error)) {
        report(QStringLiteral("The netlist could not be saved to \"%1\": %2").arg(options.netlistFile, error));
        return OutputError;
    }
    m_out << QStringLiteral("Netlist of %1 cantilever beam%2 written to %3")
                 .arg(cantilever->beams().size())
                 .arg(cantilever->beams().size() == 1 ? QString() : QStringLiteral("s"), options.netlistFile)
          << "\n";
    m_out.flush();
    return Ok;
}

int BatchCommand::exportSurface(const Options &options, Core::Workspace &workspace)
{
    for (const auto &object : workspace.document().allObjects()) {
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)) {
            QString error;
            const uint32_t algorithm = options.surfaceAlgorithm < 0 ? 0u : uint32_t(options.surfaceAlgorithm);
            if (SurfaceExport::writeVolume(*volume, algorithm, options.surfaceFile, &error))
                return Ok;
            m_err << "cellforge-batch: " << error << "\n";
            m_err.flush();
            return OutputError;
        }
    }
    m_err << "cellforge-batch: "
          << Model::Persistence::SurfaceMeshFile::exportError(options.surfaceFile,
                                                              QStringLiteral("there is no cell volume."))
          << "\n";
    m_err.flush();
    return OutputError;
}

} // namespace BatchRun
} // namespace Core
