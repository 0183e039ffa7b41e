#include "Core/BatchRun/batchoutputs.h"

#include "Core/BatchRun/batchcommand.h"
#include "Core/BatchRun/documentio.h"
#include "Core/BatchRun/resultsfile.h"
#include "Core/Formats/cellvolumevtiwriter.h"
#include "Core/Formats/crosssection.h"
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

#include <QTextStream>

#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace Core {
namespace BatchRun {

namespace {

constexpr int Ok = BatchCommand::Ok;
constexpr int StepFailed = BatchCommand::StepFailed;
constexpr int OutputError = BatchCommand::OutputError;
constexpr int Interrupted = BatchCommand::Interrupted;

} // namespace

BatchOutputs::BatchOutputs(const BatchOptions &options, QTextStream &out, QTextStream &err)
    : m_options(options)
    , m_out(out)
    , m_err(err)
{
}

void BatchOutputs::report(const QString &message)
{
    m_err << "cellforge-batch: " << message << "\n";
    m_err.flush();
}

bool BatchOutputs::writable()
{
    QString outputError;
    if (!m_options.outputFile.isEmpty() && !DocumentIo::canWrite(m_options.outputFile, &outputError)) {
        report(outputError);
        return false;
    }
    if (!m_options.vtiFile.isEmpty()) {
        const QString refusal = Util::SafeFile::unwritable(m_options.vtiFile);
        if (!refusal.isEmpty()) {
            report(QStringLiteral("The cell volume cannot be exported to \"%1\": %2").arg(m_options.vtiFile, refusal));
            return false;
        }
    }
    if (!m_options.surfaceFile.isEmpty()) {
        QString refusal = Model::Persistence::SurfaceMeshFile::refusal(m_options.surfaceFile);
        if (refusal.isEmpty())
            refusal = Util::SafeFile::unwritable(m_options.surfaceFile);
        if (!refusal.isEmpty()) {
            report(Model::Persistence::SurfaceMeshFile::exportError(m_options.surfaceFile, refusal));
            return false;
        }
    }
    if (!m_options.exportFile.isEmpty()) {
        const QString refusal = Util::SafeFile::unwritable(m_options.exportFile);
        if (!refusal.isEmpty()) {
            report(QStringLiteral("Cannot export to \"%1\": %2").arg(m_options.exportFile, refusal));
            return false;
        }
    }
    if (!m_options.netlistFile.isEmpty()) {
        const QString refusal = Util::SafeFile::unwritable(m_options.netlistFile);
        if (!refusal.isEmpty()) {
            report(QStringLiteral("The netlist could not be saved to \"%1\": %2").arg(m_options.netlistFile, refusal));
            return false;
        }
    }
    for (const CrossSectionOutput &section : m_options.crossSections) {
        const QString refusal = Util::SafeFile::unwritable(section.file);
        if (!refusal.isEmpty()) {
            report(QStringLiteral("The cross-section could not be saved to \"%1\": %2").arg(section.file, refusal));
            return false;
        }
    }
    if (!m_options.resultsFile.isEmpty()) {
        const QString refusal = Util::SafeFile::unwritable(m_options.resultsFile);
        if (!refusal.isEmpty()) {
            report(QStringLiteral("The results could not be saved to \"%1\": %2").arg(m_options.resultsFile, refusal));
            return false;
        }
    }
    return true;
}

int BatchOutputs::writeResults(const std::vector<Operations::Measurement> &measurements)
{
    QString error;
    if (ResultsFile::write(m_options.resultsFile, ResultsFile::rows(measurements, m_options.cellSizeUm), m_sweepRow,
                           &error))
        return Ok;
    report(QStringLiteral("The results could not be saved to \"%1\": %2").arg(m_options.resultsFile, error));
    return OutputError;
}

int BatchOutputs::writeCrossSection(const CrossSectionOutput &section, const Model::Automaton::TotalVolumePtr &target)
{
    const QString plane = QStringLiteral("%1 = %2").arg(QLatin1Char(section.acrossX ? 'x' : 'y')).arg(section.index);
    if (!target) {
        report(QStringLiteral("The cross-section %1 was not drawn: there is no cell volume.").arg(plane));
        return StepFailed;
    }
    try {
        using Core::Operations::CrossSection;
        const CrossSection drawing(*target, section.acrossX ? CrossSection::Axis::X : CrossSection::Axis::Y,
                                   section.index, m_options.cellSizeUm);
        QString error;
        if (drawing.write(section.file, &error))
            return Ok;
        report(QStringLiteral("The cross-section could not be saved to \"%1\": %2").arg(section.file, error));
        return OutputError;
    } catch (const std::invalid_argument &e) {
        report(QStringLiteral("The cross-section %1 was not drawn: %2.").arg(plane, QString::fromStdString(e.what())));
        return BatchCommand::UsageError;
    }
}

int BatchOutputs::writeDocument(Core::Workspace &workspace)
{
    QString error;
    if (DocumentIo::write(m_options.outputFile, workspace, &error))
        return Ok;
    report(error);
    return OutputError;
}

int BatchOutputs::writeVti(const Model::Automaton::TotalVolumePtr &target)
{
    QString error = QStringLiteral("There is no cell volume to export to \"%1\".").arg(m_options.vtiFile);
    if (target && Core::Operations::CellVolumeVtiWriter(*target).write(m_options.vtiFile, &error))
        return Ok;
    report(error);
    return OutputError;
}

int BatchOutputs::write(Core::Workspace &workspace, const Model::Automaton::TotalVolumePtr &target,
                        const std::vector<Operations::Measurement> &measurements)
{
    const std::vector<std::pair<QString, std::function<int()>>> outputs{
        {m_options.outputFile, [&] { return writeDocument(workspace); }},
        {m_options.vtiFile, [&] { return writeVti(target); }},
        {m_options.surfaceFile, [&] { return exportSurface(workspace); }},
        {m_options.exportFile, [&] { return exportField(workspace); }},
        {m_options.netlistFile, [&] { return writeNetlist(workspace); }},
        {m_options.resultsFile, [&] { return writeResults(measurements); }}};
    std::vector<std::pair<QString, std::function<int()>>> all = outputs;
    for (const CrossSectionOutput &section : m_options.crossSections)
        all.push_back({section.file, [this, &section, &target] { return writeCrossSection(section, target); }});
    auto stopRequested = [this] { return m_control && m_control->stopRequested(); };

    // A stop (SIGINT, SIGTERM) before the first output is complete writes nothing: that file is not
    // committed. Once one is, a stop lets the file being written be completed and no further one begun.
    Util::SafeFile::holdCommitsOnStop(m_control);
    QStringList written;
    int status = Ok;
    for (const auto &[file, write] : all) {
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
    for (const auto &output : all) {
        if (!output.first.isEmpty())
            report((written.contains(output.first) ? QStringLiteral("Written: \"%1\".")
                                                   : QStringLiteral("Nothing was written to \"%1\"."))
                       .arg(output.first));
    }
    return Interrupted;
}

int BatchOutputs::exportField(Core::Workspace &workspace)
{
    Model::Automaton::TotalVolumePtr volume;
    for (const auto &object : workspace.document().allObjects()) {
        if ((volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)))
            break;
    }
    if (!volume) {
        report(QStringLiteral("Nothing was exported: there is no cell volume to take \"%1\" from.")
                   .arg(m_options.exportField));
        return StepFailed;
    }
    const QVariant data = volume->field(m_options.exportField);
    if (!data.isValid()) {
        const QStringList names = volume->fieldNames();
        report(QStringLiteral("Nothing was exported: the cell volume has no field \"%1\" (%2).")
                   .arg(m_options.exportField, names.isEmpty()
                                                   ? QStringLiteral("it has no data fields")
                                                   : QStringLiteral("its fields: \"") +
                                                         names.join(QStringLiteral("\", \"")) + QLatin1Char('"')));
        return StepFailed;
    }
    Core::Operations::CSVDataExporter exporter(m_options.exportFile);
    if (exporter.saveDataToFile(m_options.exportField, data, volume->sizeX(), volume->sizeY(), volume->sizeZ()) != 0) {
        report(QStringLiteral("Could not export \"%1\" to \"%2\": %3")
                   .arg(m_options.exportField, m_options.exportFile, exporter.errorString()));
        return Core::Operations::CSVDataExporter::isExportable(m_options.exportField) ? OutputError : StepFailed;
    }
    return Ok;
}

int BatchOutputs::writeNetlist(Core::Workspace &workspace)
{
    using namespace Model::ModelExtraction;
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
    if (m_options.cellSizeUm > 0.0)
        cantilever->setLengthPerUnit(m_options.cellSizeUm * 1.0e-6);
    QString error;
    const QString text = cantilever->netlist(&error);
    if (text.isEmpty()) {
        report(error);
        return StepFailed;
    }
    if (!NetlistFile::write(m_options.netlistFile, text, &error)) {
        report(QStringLiteral("The netlist could not be saved to \"%1\": %2").arg(m_options.netlistFile, error));
        return OutputError;
    }
    m_out << QStringLiteral("Netlist of %1 cantilever beam%2 written to %3")
                 .arg(cantilever->beams().size())
                 .arg(cantilever->beams().size() == 1 ? QString() : QStringLiteral("s"), m_options.netlistFile)
          << "\n";
    m_out.flush();
    return Ok;
}

int BatchOutputs::exportSurface(Core::Workspace &workspace)
{
    for (const auto &object : workspace.document().allObjects()) {
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)) {
            QString error;
            const auto algorithm = m_options.surfaceAlgorithm.value_or(Model::Automaton::SurfaceAlgorithm::CubicFaces);
            if (SurfaceExport::writeVolume(*volume, algorithm, m_options.surfaceFile, &error))
                return Ok;
            m_err << "cellforge-batch: " << error << "\n";
            m_err.flush();
            return OutputError;
        }
    }
    m_err << "cellforge-batch: "
          << Model::Persistence::SurfaceMeshFile::exportError(m_options.surfaceFile,
                                                              QStringLiteral("there is no cell volume."))
          << "\n";
    m_err.flush();
    return OutputError;
}

} // namespace BatchRun
} // namespace Core
