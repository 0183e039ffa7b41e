#include "Core/BatchRun/batchrunner.h"

#include "Core/BatchRun/processvocabulary.h"
#include "Core/BatchRun/stepparameters.h"
#include "Core/Engines/RandomWalk/randomstream.h"
#include "Core/Processes/processregistry.h"
#include "Core/workspace.h"
#include "Model/Volume/silattice.h"
#include "Util/runcontrol.h"
#include "Util/vector3d.h"

#include <QDebug>
#include <QElapsedTimer>

#include <algorithm>
#include <exception>
#include <new>

namespace Core {
namespace BatchRun {

const StepRegistry &StepRegistry::standard()
{
    static const StepRegistry registry = [] {
        StepRegistry made;
        for (const Processes::ProcessDescriptor *descriptor : Processes::ProcessRegistry::all()) {
            // The list's road: the step runs and, when it succeeded, is finished at once.
            made.add(int(descriptor->type()), [descriptor](StepContext &context, const Processes::ProcessStep &step) {
                const int code = descriptor->run(context, step);
                if (code == Success)
                    descriptor->finish(context, step);
                return code;
            });
            made.addEstimate(int(descriptor->type()), [descriptor](const Processes::ProcessStep &step,
                                                                   const Model::Automaton::TotalVolumePtr &target) {
                return descriptor->estimate(step, *target);
            });
        }
        return made;
    }();
    return registry;
}

int StepRegistry::run(StepContext &context, const Processes::ProcessStep &step) const
{
    const int type = step.getProcessType();
    if (type < 0 || type > LastProcessType)
        return UnknownProcess;
    const auto it = m_functions.constFind(type);
    if (it == m_functions.constEnd())
        return Processes::ProcessRegistry::descriptor(type) ? NotImplemented : UnknownProcess;
    try {
        return it.value()(context, step);
    } catch (const std::bad_alloc &) {
        return OutOfMemory;
    } catch (const Model::Automaton::VolumeAllocationError &e) {
        // A volume that does not fit is no fault of the list; its text says what it needs.
        context.detail = QString::fromStdString(e.what());
        return e.doesNotFit() ? OutOfMemory : InvalidValue;
    } catch (const std::exception &e) {
        // An engine that refuses its input (or runs out of memory) fails the step, not the program.
        context.detail = QString::fromLocal8Bit(e.what());
        return InvalidValue;
    }
}

QStringList BatchRunner::rangeRefusals(const QList<Processes::ProcessStep> &steps)
{
    QStringList refusals;
    for (int i = 0; i < steps.size(); ++i) {
        for (const QString &refusal : StepParameters::rangeRefusals(steps.at(i)))
            refusals << QStringLiteral("Step %1 (%2): %3.")
                            .arg(i + 1)
                            .arg(displayName(steps.at(i).getProcessType()), refusal);
    }
    return refusals;
}

StepEstimate StepRegistry::estimate(const Processes::ProcessStep &step,
                                    const Model::Automaton::TotalVolumePtr &target) const
{
    const auto it = m_estimates.constFind(step.getProcessType());
    if (it == m_estimates.constEnd() || !target)
        return StepEstimate();
    try {
        return it.value()(step, target);
    } catch (const std::exception &) {
        return StepEstimate(); // the step itself says what is wrong when it runs
    }
}

QString StepRecord::line(int total) const
{
    QString text =
        QStringLiteral("%1/%2  %3  %4 ms  %5").arg(index + 1).arg(total).arg(name).arg(milliseconds).arg(message);
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return text;
}

QStringList BatchRunner::conversionWarnings(const Processes::ProcessStep &step, int index)
{
    QStringList warnings;
    const auto unconverted = step.unconvertedParameters();
    for (auto it = unconverted.constBegin(); it != unconverted.constEnd(); ++it) {
        // A number beyond what its kind holds is no typo: the step refuses it as out of range.
        if (StepParameters::isNumberOutOfItsKind(step.getParameters().value(it.key()), it.value()))
            continue;
        const bool vector = step.getParameters().value(it.key()).userType() == qMetaTypeId<Util::Vector3D>();
        warnings << QStringLiteral("step %1 (%2): \"%3\" %4 (\"%5\"); %6")
                        .arg(index + 1)
                        .arg(displayName(step.getProcessType()), it.key(),
                             vector ? QStringLiteral("is not three numbers") : QStringLiteral("is not a number"),
                             it.value(),
                             vector ? QStringLiteral("0 is used for each part that is not a number.")
                                    : QStringLiteral("0 is used."));
    }
    return warnings;
}

BatchRunner::BatchRunner(Core::Workspace &workspace, const Model::Automaton::TotalVolumePtr &target,
                         const StepRegistry &registry)
    : m_workspace(workspace)
    , m_target(target)
    , m_registry(registry)
{
}

namespace {

// The states of the target before a step, so that a stopped step can be put back, and the atom
// counts of its silicon lattice (random-walk doping and the wet etches change the counts; without a
// lattice they are 0, and a lattice laid by the step starts over from the cells).
bool keepStates(const Model::Automaton::TotalVolumePtr &volume, BatchRunner::KeptCells &kept)
{
    if (!volume) {
        kept = BatchRunner::KeptCells();
        return true;
    }
    try {
        kept.states.resize(volume->cellCount());
        kept.atoms.resize(volume->cellCount());
    } catch (const std::bad_alloc &) {
        kept = BatchRunner::KeptCells();
        return false;
    }
    const auto lattice = volume->siLattice();
    Model::Automaton::CellLock lock(*volume);
    const Model::Automaton::Cells cells = lock.cells();
    std::copy(cells.states(), cells.states() + volume->cellCount(), kept.states.begin());
    for (size_t i = 0; i < volume->cellCount(); ++i)
        kept.atoms[i] = lattice ? uint8_t(lattice->atomCount(i)) : 0;
    return true;
}

void putBackStates(const Model::Automaton::TotalVolumePtr &volume, const BatchRunner::KeptCells &kept)
{
    if (!volume || kept.states.size() != volume->cellCount())
        return;
    const auto lattice = volume->siLattice();
    Model::Automaton::CellLock lock(*volume);
    std::copy(kept.states.begin(), kept.states.end(), lock.cells().states());
    for (size_t i = 0; lattice && i < kept.atoms.size(); ++i)
        lattice->setAtomCount(i, kept.atoms[i]);
}

} // namespace

RunSummary BatchRunner::run(const QList<Processes::ProcessStep> &steps)
{
    RunSummary summary;
    m_doneCount = 0;
    m_measurements.clear();
    for (int i = 0; i < steps.size(); ++i) {
        const Processes::ProcessStep &step = steps.at(i);
        if (m_control && m_control->stopRequested()) {
            summary.stopped = true;
            summary.stoppedIndex = i;
            break;
        }
        if (!m_target && step.getProcessType() != CreateSubstrate) {
            summary.missingVolume = true;
            summary.failure.index = i;
            summary.failure.processType = step.getProcessType();
            summary.failure.name = displayName(step.getProcessType());
            break;
        }
        if (m_warn) {
            for (const QString &warning : conversionWarnings(step, i))
                m_warn(warning);
            const StepEstimate estimate = m_registry.estimate(step, m_target);
            if (estimate.seconds > longStepSeconds)
                m_warn(QStringLiteral("step %1 (%2) is estimated to run for %3.")
                           .arg(i + 1)
                           .arg(displayName(step.getProcessType()), estimate.text));
        }
        if (m_start)
            m_start(i, displayName(step.getProcessType()));
        const Model::Automaton::TotalVolumePtr before = m_target;
        if (m_control) {
            // A step whose cells could not be kept cannot be taken back: it runs to its end.
            m_control->setStoppable(!m_putBack || keepStates(before, m_kept));
        }
        std::optional<uint64_t> stepSeed;
        if (m_seed)
            stepSeed = Core::Operations::RandomStream::mix(*m_seed + uint64_t(i));
        StepContext context(StepContext::Road::List, m_workspace, m_target, m_control);
        context.seed = stepSeed;
        context.saveImage = m_saveImage;
        context.images = &m_images;
        context.listFolder = m_listFolder;
        QElapsedTimer timer;
        timer.start();
        const int code = m_registry.run(context, step);
        m_target = context.volume;
        if (code == Stopped && m_putBack)
            putBackStates(before, m_kept);
        m_kept = KeptCells();

        StepRecord record;
        record.index = i;
        record.processType = step.getProcessType();
        record.name = displayName(step.getProcessType());
        record.code = code;
        record.milliseconds = timer.elapsed();
        record.message = resultMessage(code);
        record.detail = context.detail;
        if (m_observer)
            m_observer(record);
        if (code == Stopped) {
            summary.stopped = true;
            summary.stoppedIndex = i;
            break;
        }
        if (code != Success) {
            qDebug().noquote() << "Could not run process " + record.name + " : " + record.message;
            summary.failedIndex = i;
            summary.failure = record;
            break;
        }
        for (Operations::Measurement &measurement : context.measurements) {
            measurement.step = i + 1;
            m_measurements.push_back(measurement);
        }
        summary.done = ++m_doneCount;
    }
    return summary;
}

} // namespace BatchRun
} // namespace Core
