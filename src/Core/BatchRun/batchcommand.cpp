#include "Core/BatchRun/batchcommand.h"

#include "Core/BatchRun/batchoutputs.h"
#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/documentio.h"
#include "Core/BatchRun/imagefolder.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/workspace.h"
#include "Util/runcontrol.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QThreadPool>

namespace Core {
namespace BatchRun {

BatchCommand::BatchCommand(QTextStream &out, QTextStream &err, bool progressBar)
    : m_out(out)
    , m_err(err)
    , m_progressBar(progressBar)
{
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

void BatchCommand::report(const QString &message)
{
    m_err << "cellforge-batch: " << message << "\n";
    m_err.flush();
}

int BatchCommand::run(const Options &options)
{
    if (options.threads > 0)
        QThreadPool::globalInstance()->setMaxThreadCount(options.threads);
    QList<Processes::ProcessStep> steps;
    if (const int status = loadList(options, steps); status != Ok)
        return status;

    // This workspace never undoes: it makes no undo or redo file, and a killed run leaves none behind.
    Core::Workspace workspace(Core::UndoFiles::Storage::None);
    Model::Automaton::TotalVolumePtr target;
    if (const int status = readInput(options, workspace, target); status != Ok)
        return status;
    BatchOutputs outputs(options, m_out, m_err);
    outputs.setRunControl(m_control);
    outputs.setOutputObserver(m_outputObserver);
    // Every output is tried before a long run rather than after it.
    if (!outputs.writable())
        return OutputError;

    // Image names come from the list: they are checked before the first step runs.
    const ImageFolder images(options.imagesFolder.isEmpty() ? ImageFolder::defaultFolder(options.outputFile)
                                                            : options.imagesFolder,
                             options.overwriteImages);
    if (!checkImages(images, steps))
        return OutputError;

    BatchRunner runner(workspace, target);
    const RunSummary summary = runSteps(options, steps, images, runner, workspace);
    if (const int status = reportUnfinished(options, steps, summary); status != Ok)
        return status;
    return outputs.write(workspace, runner.target());
}

int BatchCommand::loadList(const Options &options, QList<Processes::ProcessStep> &steps)
{
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
    steps = listFile.steps();
    // A number that no step takes is refused before anything runs, as a bad argument is.
    const QStringList refusals = BatchRunner::rangeRefusals(steps);
    if (!refusals.isEmpty()) {
        for (const QString &refusal : refusals)
            report(refusal);
        report(QStringLiteral("No step was run."));
        return UsageError;
    }
    return Ok;
}

int BatchCommand::readInput(const Options &options, Core::Workspace &workspace,
                            Model::Automaton::TotalVolumePtr &target)
{
    if (options.inputFile.isEmpty())
        return Ok;
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
    return Ok;
}

RunSummary BatchCommand::runSteps(const Options &options, const QList<Processes::ProcessStep> &steps,
                                  const ImageFolder &images, BatchRunner &runner, Core::Workspace &workspace)
{
    runner.setImageFolder(images);
    runner.setSeed(options.seed);
    runner.setListFolder(QFileInfo(options.listFile).absolutePath());
    runner.setSaveImageHandler([this, &workspace](const QString &fileName, QString *error) {
        if (m_imageRenderer)
            return m_imageRenderer(workspace.document(), fileName, error);
        if (error)
            *error = QStringLiteral("Images cannot be rendered without a graphical session.");
        return false;
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
    runner.setWarningObserver([this, total, &done](const QString &warning) {
        if (m_progressBar)
            m_err << "\r" << QString(45, QLatin1Char(' ')) << "\r";
        report(QStringLiteral("warning: ") + warning);
        drawProgress(done, total);
    });
    if (options.verbose) {
        runner.setStartObserver([this, total, &done](int index, const QString &name) {
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
    return summary;
}

int BatchCommand::reportUnfinished(const Options &options, const QList<Processes::ProcessStep> &steps,
                                   const RunSummary &summary)
{
    const int total = steps.size();
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
    return Ok;
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

} // namespace BatchRun
} // namespace Core
