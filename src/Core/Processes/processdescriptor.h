#pragma once

#include "Core/Processes/commandid.h"
#include "Core/Processes/parameterdefinition.h"
#include "Core/Processes/processrun.h"
#include "Core/Processes/processstep.h"
#include "Core/Processes/processtype.h"
#include "Core/Undo/processsnapshot.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>

namespace Core {
namespace Processes {

/// The material of silicon in every catalogue: steps that add or remove it change the cells of the
/// atomistic lattice.
constexpr uint32_t siliconMaterial = 1;

/// What a step will take before it runs, from its parameters and the volume it acts on: the
/// seconds (0 when unknown or negligible) and what the estimate counts, for the user.
struct StepEstimate {
    double seconds = 0.0;
    QString text; ///< "at least 265 days (4294967295 time steps over 2000000 cells)"
};

/// One command of the window's menus that runs a process.
struct ProcessCommand {
    CommandId id;
    /// The step's name in the console and in the undo menu ("CVD", "BCA Wet Etch").
    const char *operationName;
    /// Recorded as the volume's last operation when the window runs the step.
    uint32_t typeCode;
    /// The name of the step's undo records.
    const char *undoKey;
    /// Parameter values the command fixes, whatever its dialog gives ("Etch Model": "CCA").
    QVariantMap presets;
};

/// A process step as every road sees it: its list type, its name, its parameters (names, kinds,
/// visibility, ranges), the window commands that run it, and how a step of it runs on a volume.
/// The window's generic process operation and the list runner make the very same calls: `run` on
/// the working thread, then `finish` once the step succeeded. Descriptors hold no state: one
/// instance per process serves every window and every run at once.
class ProcessDescriptor {
public:
    virtual ~ProcessDescriptor() = default;
    ProcessDescriptor(const ProcessDescriptor &) = delete;
    ProcessDescriptor &operator=(const ProcessDescriptor &) = delete;

    ProcessType type() const { return m_type; }
    /// The name in the list view and in run reports ("Isotropic Deposition").
    const QString &displayName() const { return m_displayName; }
    /// The entry of the list editor's "add process" choice ("Si Wet Etching").
    const QString &choiceName() const { return m_choiceName; }
    /// Every parameter in name order (the order of the files and the list view), material triples expanded.
    const QList<ParameterDefinition> &parameters() const { return m_parameters; }
    /// The definition of the parameter `name`; null for a name the process does not have.
    const ParameterDefinition *parameter(const QString &name) const;
    /// The material bases of the parameters ("Material", "Conducting Material", ...).
    const QStringList &materialBases() const { return m_materialBases; }
    /// The catalogue process whose compatible materials the dialogs offer; 0 when they offer every material.
    virtual uint32_t compatibleProcessId() const { return 0; }
    /// The window commands that run the process; the first is its own.
    const QList<ProcessCommand> &commands() const { return m_commands; }
    /// The command `id` of this process; null when it runs another one.
    const ProcessCommand *command(CommandId id) const;

    /// Reads the step, checks its values with the messages of the list runner, and runs the engine
    /// on `run.volume` under `run.control`. Returns a ResultCode; `run.detail` says what was
    /// missing or invalid. An engine that refuses its input throws, as engines do.
    virtual int run(ProcessRun &run, const ProcessStep &step) const = 0;
    /// After a successful `run`: what the step leaves on the volume and in its records (the last
    /// operation, the lattice mark). The window calls it after its job, on the thread that draws
    /// the volume; a list calls it right after `run`.
    virtual void finish(ProcessRun &run, const ProcessStep &step) const = 0;

    /// What is wrong with the step beyond the range of each number, before a list runs: a value its
    /// mode needs and lacks, values that do not go together ("\"Concentration\" is missing: ...").
    /// Nothing for most processes.
    virtual QStringList stepRefusals(const ProcessStep &) const { return QStringList(); }
    /// How long the step will take on `volume`; nothing (0 seconds) for most processes.
    virtual StepEstimate estimate(const ProcessStep &step, const Model::Automaton::TotalVolume &volume) const;
    /// What a step changes besides the cell states and the masks, for its undo record.
    virtual Operations::ProcessSnapshot::Scope undoScope(const ProcessStep &step) const;
    /// Shows values of the open dialog on the volume before the step runs (photolithography's
    /// masks); false when the process has no preview.
    virtual bool preview(Model::Automaton::TotalVolume &volume, const QVariantMap &values) const;
    /// The console's word when the window's step is canceled, behind the step's name.
    virtual QString canceledText() const { return QStringLiteral("Operation canceled."); }
    /// Fills the parameters derived from others: the name and colour of every material from its
    /// identifier, and the process's own texts.
    virtual void completeDerivedParameters(ProcessStep &step) const;
    /// Puts a dialog's values into a step: an invalid value removes its parameter, the others keep
    /// the visibility their names had (a new name is shown). Derived texts are not filled.
    virtual void applyValues(ProcessStep &step, const QVariantMap &values) const;

protected:
    /// `parameters` in any order (they are kept in name order); `commands` first the process's own.
    ProcessDescriptor(ProcessType type, const QString &displayName, const QString &choiceName,
                      QList<ParameterDefinition> parameters, QList<ProcessCommand> commands);

private:
    ProcessType m_type;
    QString m_displayName;
    QString m_choiceName;
    QList<ParameterDefinition> m_parameters;
    QStringList m_materialBases;
    QList<ProcessCommand> m_commands;
};

} // namespace Processes
} // namespace Core
