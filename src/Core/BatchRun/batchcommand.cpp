#include "Core/BatchRun/batchcommand.h"

#include "Core/BatchRun/batchoutputs.h"
#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/documentio.h"
#include "Core/BatchRun/imagefolder.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/BatchRun/resultscollector.h"
#include "Core/BatchRun/stepparameters.h"
#include "Core/BatchRun/sweeprunner.h"
#include "Core/BatchRun/sweeptable.h"
#include "Core/Processes/measureprocess.h"
#include "Core/workspace.h"
#include "Util/runcontrol.h"
#include "Util/safefile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cmath>

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
    m_arguments = arguments;
    return run(options);
}

int BatchCommand::run(const Options &options)
{
    if (!options.collectFolder.isEmpty())
        return collect(options);
    if (options.sweepFile.isEmpty())
        return runOnce(options);
    SweepTable table;
    QString error;
    if (!table.load(options.sweepFile, &error)) {
        report(error);
        return InputError;
    }
    std::optional<int> row;
    if (const int status = chooseRow(options, table.rowCount(), row); status != Ok)
        return status;
    if (!row)
        return runSweep(options, table.rowCount());
    // The row's names, its values after those of --set, and its record in the results.
    Options one = options;
    for (QString *name : {&one.outputFile, &one.vtiFile, &one.surfaceFile, &one.exportFile, &one.netlistFile,
                          &one.resultsFile, &one.imagesFolder})
        name->replace(QLatin1String("{index}"), QString::number(*row));
    for (CrossSectionOutput &section : one.crossSections)
        section.file.replace(QLatin1String("{index}"), QString::number(*row));
    one.overrides += table.row(*row);
    m_sweepRow.index = *row;
    m_sweepRow.rows = table.rowCount();
    for (const ParameterOverride &column : table.columns())
        m_sweepRow.columns << column.column();
    m_sweepRow.values = table.values(*row);
    return runOnce(one);
}

int BatchCommand::chooseRow(const Options &options, int rows, std::optional<int> &row)
{
    row = options.index;
    const QByteArray task = qgetenv("SLURM_ARRAY_TASK_ID");
    if (!row && !task.isEmpty()) {
        bool ok = false;
        row = QString::fromLocal8Bit(task).toInt(&ok);
        if (!ok || *row < 0) {
            report(QStringLiteral("SLURM_ARRAY_TASK_ID is \"%1\", not a row of the sweep.")
                       .arg(QString::fromLocal8Bit(task)));
            return UsageError;
        }
    }
    if (row && *row >= rows) {
        report(QStringLiteral("The sweep table \"%1\" has no row %2: its rows are 0 to %3.")
                   .arg(options.sweepFile)
                   .arg(*row)
                   .arg(rows - 1));
        return UsageError;
    }
    return Ok;
}

int BatchCommand::runSweep(const Options &options, int rows)
{
    // Rows that wrote to the same file would replace each other's outputs.
    QStringList names{options.outputFile,  options.vtiFile,     options.surfaceFile, options.exportFile,
                      options.netlistFile, options.resultsFile, options.imagesFolder};
    for (const CrossSectionOutput &section : options.crossSections)
        names << section.file;
    for (const QString &name : names) {
        if (!name.isEmpty() && rows > 1 && !name.contains(QLatin1String("{index}"))) {
            report(QStringLiteral("Every row of a sweep writes its own outputs: \"%1\" needs \"{index}\" in its "
                                  "name.")
                       .arg(name));
            return UsageError;
        }
    }
    if (m_arguments.isEmpty()) {
        report(QStringLiteral("The rows of a sweep run only from the command line."));
        return UsageError;
    }
    const int cores = std::max(1, QThread::idealThreadCount());
    const int jobs = std::min(options.jobs > 0 ? options.jobs : cores, rows);
    QStringList arguments;
    for (int i = 0; i < m_arguments.size(); ++i) {
        if (m_arguments.at(i) == QLatin1String("--jobs"))
            ++i;
        else
            arguments << m_arguments.at(i);
    }
    // The cores are shared among the rows that run at once (the cells do not depend on it).
    if (options.threads == 0)
        arguments << QStringLiteral("--threads") << QString::number(std::max(1, cores / jobs));
    SweepRunner runner(m_out, m_err);
    runner.setRunControl(m_control);
    return runner.run(QCoreApplication::applicationFilePath(), arguments, rows, jobs);
}

std::optional<Operations::StudyPlot> BatchCommand::studyPlot(const ResultsCollector &collector, QString *error)
{
    const auto numberOf = [](const QString &text) -> std::optional<double> {
        bool ok = false;
        const double value = text.toDouble(&ok);
        return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
    };
    const QList<int> missing = collector.missing();
    for (int column = 0; column < collector.columns().size(); ++column) {
        bool numbers = true;
        for (int row = 0; row < collector.rowCount() && numbers; ++row)
            numbers = missing.contains(row) || numberOf(collector.sweptValues(row).value(column));
        if (!numbers)
            continue;
        std::vector<Operations::StudyPlot::Series> series;
        for (int m = 0; m < collector.measurements().size(); ++m) {
            Operations::StudyPlot::Series s{collector.measurements().at(m), {}};
            for (int row = 0; row < collector.rowCount(); ++row) {
                if (missing.contains(row))
                    continue;
                if (const auto value = numberOf(collector.measuredValues(row).value(m)))
                    s.points.emplace_back(*numberOf(collector.sweptValues(row).at(column)), *value);
            }
            series.push_back(std::move(s));
        }
        return Operations::StudyPlot(collector.columns().at(column), std::move(series));
    }
    if (error)
        *error = QStringLiteral("--plot needs a swept parameter whose values are all numbers; %1 has none.")
                     .arg(collector.columns().isEmpty() ? QStringLiteral("the sweep")
                                                        : collector.columns().join(QStringLiteral(", ")));
    return std::nullopt;
}

int BatchCommand::collect(const Options &options)
{
    ResultsCollector collector;
    QString error;
    if (!collector.read(options.collectFolder, options.collectFile, &error)) {
        report(error);
        return InputError;
    }
    for (const QString &note : collector.notes())
        report(QStringLiteral("warning: ") + note);
    std::optional<Operations::StudyPlot> plot;
    if (!options.plotFile.isEmpty()) {
        plot = studyPlot(collector, &error);
        if (!plot) {
            report(error);
            return InputError;
        }
    }
    Util::SafeFile file(options.collectFile);
    if (file.open())
        file.device()->write(collector.table());
    if (!file.commit()) {
        report(
            QStringLiteral("The table could not be saved to \"%1\": %2").arg(options.collectFile, file.errorString()));
        return OutputError;
    }
    if (plot && !plot->write(options.plotFile, &error)) {
        report(QStringLiteral("The plot could not be saved to \"%1\": %2").arg(options.plotFile, error));
        return OutputError;
    }
    const QList<int> missing = collector.missing();
    QStringList indices;
    for (int index : missing)
        indices << QString::number(index);
    m_out << QStringLiteral("%1 of %2 rows collected into %3")
                 .arg(collector.rowCount() - missing.size())
                 .arg(collector.rowCount())
                 .arg(options.collectFile)
          << "\n";
    m_out.flush();
    if (missing.isEmpty())
        return Ok;
    report(QStringLiteral("Rows without results (failed or not run): %1.").arg(indices.join(QStringLiteral(", "))));
    return StepFailed;
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

int BatchCommand::runOnce(const Options &options)
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
    outputs.setSweepRow(m_sweepRow);
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
    return outputs.write(workspace, runner.target(), runner.measurements());
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
    // The values of --set and of the sweep's row, read as the list's own.
    const QString problem = ParameterOverride::apply(options.overrides, steps);
    if (!problem.isEmpty()) {
        report(problem + QStringLiteral("."));
        report(QStringLiteral("No step was run."));
        return UsageError;
    }
    // A number that no step takes is refused before anything runs, as a bad argument is.
    const QStringList refusals = stepRefusals(steps);
    if (!refusals.isEmpty()) {
        for (const QString &refusal : refusals)
            report(refusal);
        report(QStringLiteral("No step was run."));
        return UsageError;
    }
    return Ok;
}

QStringList BatchCommand::stepRefusals(const QList<Processes::ProcessStep> &steps)
{
    QStringList refusals = BatchRunner::rangeRefusals(steps);
    // So is a measurement of an unknown kind or material, before a long run rather than after it.
    for (int i = 0; i < steps.size(); ++i) {
        if (steps.at(i).getProcessType() != Measure || !StepParameters::rangeRefusals(steps.at(i)).isEmpty())
            continue;
        const QString problem = Processes::MeasureProcess::problem(steps.at(i));
        if (!problem.isEmpty())
            refusals << QStringLiteral("Step %1 (%2): %3.").arg(i + 1).arg(displayName(Measure), problem);
    }
    return refusals;
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

namespace {

/// The files a run that ended early leaves unwritten (the netlist is named only after a stop, as it always was).
QStringList unwritten(const BatchOptions &options, bool withNetlist)
{
    QStringList files{options.outputFile, options.vtiFile, options.surfaceFile, options.exportFile};
    if (withNetlist)
        files << options.netlistFile;
    files << options.resultsFile;
    for (const CrossSectionOutput &section : options.crossSections)
        files << section.file;
    return files;
}

} // namespace

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
        for (const QString &file : unwritten(options, true)) {
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
        for (const QString &file : unwritten(options, false)) {
            if (!file.isEmpty())
                report(QStringLiteral("Nothing was written to \"%1\".").arg(file));
        }
        // A measurement that cannot be taken is a fault of what was asked, as a bad argument is.
        return f.processType == Measure ? UsageError : StepFailed;
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
