#include "Core/Operations/Objects/createsubstrateoperation.h"

#include "Core/workspace.h"
#include "Util/debugoutput.h"
#include "Util/failuretext.h"

#include <QElapsedTimer>

#include <exception>

namespace Core {
namespace Operations {

CreateSubstrateOperation::CreateSubstrateOperation(Workspace &workspace)
    : ObjectOperation(workspace, QStringLiteral("Create Substrate"), 2)
{
}

void CreateSubstrateOperation::start()
{
    if (const auto &dialog = observer())
        dialog->notify();
    execute();
}

void CreateSubstrateOperation::execute()
{
    // Not ready: the dialog was rejected; the operation waits until it is canceled.
    if (!m_builder)
        return;
    Workspace &ws = workspace();

    QElapsedTimer timer;
    timer.start();
    try {
        m_volume = m_builder->buildVolume();
    } catch (const std::exception &error) {
        // A volume too large for the machine: tell the user, add nothing, keep running.
        const QString text = Util::failureText(error, QStringLiteral("create this cell volume"));
        ws.console().writeMessage(name() + QStringLiteral(": ") + text);
        ws.reportError(name(), text);
        m_builder.reset();
        ws.console().reset();
        ws.operationCanceled();
        return;
    }
    Util::DebugOutput::line(QStringLiteral("Time to simulate") + name() + QStringLiteral(": ") +
                            QString::number(timer.elapsed()) + QStringLiteral(" ms"));

    timer.restart();
    ws.regenerateSurface(m_volume);
    Util::DebugOutput::line(QStringLiteral("Time to update surface: ") + QString::number(timer.elapsed()) +
                            QStringLiteral(" ms"));

    m_change.make(ws, {m_volume});
    ws.console().writeMessage(QStringLiteral("Create Substrate: substrate created successfully."));
    ws.operationFinished();
}

void CreateSubstrateOperation::cancel() { workspace().operationCanceled(); }

bool CreateSubstrateOperation::undo() { return m_change.undo(workspace()); }

bool CreateSubstrateOperation::redo() { return m_change.redo(workspace()); }

} // namespace Operations
} // namespace Core
