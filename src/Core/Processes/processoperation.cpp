#include "Core/Processes/processoperation.h"

#include "Core/Processes/processregistry.h"
#include "Core/workspace.h"

#include <stdexcept>

namespace Core {
namespace Processes {

ProcessOperation::ProcessOperation(Workspace &workspace, const ProcessDescriptor &descriptor,
                                   const ProcessCommand &command)
    : UndoableProcessOperation(workspace, QLatin1String(command.operationName), command.typeCode,
                               QLatin1String(command.undoKey))
    , m_descriptor(descriptor)
    , m_command(command)
    , m_step(int(descriptor.type()))
{
    descriptor.applyValues(m_step, command.presets);
}

std::shared_ptr<ProcessOperation> ProcessOperation::make(Workspace &workspace, CommandId id)
{
    const ProcessCommand *command = nullptr;
    const ProcessDescriptor *descriptor = ProcessRegistry::forCommand(id, &command);
    return descriptor ? std::make_shared<ProcessOperation>(workspace, *descriptor, *command) : nullptr;
}

void ProcessOperation::setParameters(const QVariantMap &values)
{
    m_descriptor.applyValues(m_step, values);
    m_descriptor.applyValues(m_step, m_command.presets);
    m_given = true;
}

void ProcessOperation::preview(const QVariantMap &values)
{
    const auto target = volume();
    if (!target)
        return;
    keepMasksBeforePreview();
    if (m_descriptor.preview(*target, values))
        workspace().notifyUpdate();
}

void ProcessOperation::cancel()
{
    putBackPreviewedMasks();
    workspace().console().writeMessage(name() + QStringLiteral(": ") + m_descriptor.canceledText());
    workspace().console().reset();
    workspace().operationCanceled();
}

void ProcessOperation::run(Model::Automaton::TotalVolume &)
{
    m_run.emplace(ProcessRun::Road::Window, workspace(), volume(), runControl());
    m_run->seed = m_seed;
    const int code = m_descriptor.run(*m_run, m_step);
    m_run->control = nullptr; // the job's control ends with the job
    if (code == Success)
        return;
    const QString reason = m_run->detail.isEmpty() ? resultMessage(code) : m_run->detail;
    m_run.reset();
    // A dialog gives values its step takes; anything else is refused as a list's step would be.
    if (code != Stopped)
        throw std::invalid_argument(reason.toLocal8Bit().toStdString());
}

void ProcessOperation::afterRun(Model::Automaton::TotalVolume &volume)
{
    if (m_run)
        m_descriptor.finish(*m_run, m_step);
    m_run.reset();
    UndoableProcessOperation::afterRun(volume);
}

bool ProcessOperation::changesAtomCounts() const { return m_descriptor.undoScope(m_step).atomCounts; }

Operations::ProcessSnapshot::Scope ProcessOperation::snapshotScope() const { return m_descriptor.undoScope(m_step); }

} // namespace Processes
} // namespace Core
