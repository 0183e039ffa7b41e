#pragma once

#include "Core/Operations/undoableprocessoperation.h"
#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processstep.h"

#include <QVariantMap>

#include <memory>
#include <optional>

namespace Core {
namespace Processes {

/// The window's command of a process: one class for every process. It holds the step its dialog
/// gave (with the command's presets) and runs it through the process's descriptor, the very calls
/// a list makes; choosing the volume, the job with progress and Stop, the console lines and undo
/// are those of every process step.
class ProcessOperation : public Operations::UndoableProcessOperation {
public:
    ProcessOperation(Workspace &workspace, const ProcessDescriptor &descriptor, const ProcessCommand &command);

    /// The operation of the window command `id`; null when no process runs it.
    static std::shared_ptr<ProcessOperation> make(Workspace &workspace, CommandId id);

    const ProcessDescriptor &descriptor() const { return m_descriptor; }
    const ProcessCommand &command() const { return m_command; }
    /// The step as the dialog gave it, under the list's parameter names.
    const ProcessStep &step() const { return m_step; }

    /// Takes the dialog's values into the step (an invalid value removes its parameter); the
    /// command's presets stay as the command fixes them. The step runs once values were given.
    void setParameters(const QVariantMap &values);
    /// Shows values of the open dialog on the volume (photolithography's masks). The volume's
    /// masks from before the first preview come back when the step is canceled or undone.
    void preview(const QVariantMap &values);
    /// Fixes the draws of a random step; none seeds them from the clock.
    void setSeed(std::optional<uint64_t> seed) { m_seed = seed; }
    std::optional<uint64_t> seed() const { return m_seed; }

    void cancel() override;

protected:
    bool hasOptions() const override { return m_given; }
    void run(Model::Automaton::TotalVolume &volume) override;
    void afterRun(Model::Automaton::TotalVolume &volume) override;
    bool changesAtomCounts() const override;
    Operations::ProcessSnapshot::Scope snapshotScope() const override;

private:
    const ProcessDescriptor &m_descriptor;
    const ProcessCommand &m_command;
    ProcessStep m_step;
    std::optional<uint64_t> m_seed;
    /// The run of the step, from the job to its finish.
    std::optional<ProcessRun> m_run;
    bool m_given = false;
};

} // namespace Processes
} // namespace Core
