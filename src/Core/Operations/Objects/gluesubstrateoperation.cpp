#include "Core/Operations/Objects/gluesubstrateoperation.h"

#include "Core/Engines/Volume/gluesubstrate.h"
#include "Core/volumechoice.h"
#include "Core/workspace.h"
#include "Util/debugoutput.h"
#include "Util/failuretext.h"
#include "Util/runcontrol.h"

#include <QElapsedTimer>

#include <exception>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

GlueSubstrateOperation::GlueSubstrateOperation(Workspace &workspace)
    : ObjectOperation(workspace, QStringLiteral("Glue Volumes"), 12)
{
}

void GlueSubstrateOperation::waitForEnter(const QString &prompt, const QString &which)
{
    VolumeChoice choice(workspace());
    choice.waitForEnter(shared_from_this(), prompt, VolumeChoice::clickPrompt(name(), which));
}

void GlueSubstrateOperation::start()
{
    if (m_step == 0)
        chooseBase();
    else if (m_step == 1)
        chooseTop();
}

void GlueSubstrateOperation::chooseBase()
{
    Workspace &ws = workspace();
    VolumeChoice choice(ws);
    const int volumes = choice.volumes().size();
    if (volumes < 2) {
        // Nothing the user could pick would do: say so instead of waiting.
        ws.console().writeMessage(
            QStringLiteral("Glue Volumes: gluing takes two cell volumes; the document holds %1.").arg(volumes));
        cancel();
        return;
    }
    m_base = choice.selected();
    if (!m_base) {
        waitForEnter(QStringLiteral("Glue Volumes: select the base cell volume and press Enter/Return."),
                     QStringLiteral("the base cell volume"));
        return;
    }
    ws.console().writeMessage(
        QStringLiteral("Glue Volumes: base cell volume selected. Select top cell volume and press enter"));
    m_step = 1;
    // A second selected volume is the top; with two volumes in the document the top is the other one.
    m_top = choice.selected(m_base);
    if (!m_top && volumes == 2)
        m_top = choice.volumes().value(choice.volumes().first() == m_base ? 1 : 0);
    ws.selection().clearSelection();
    ws.notifyUpdate();
    if (m_top) {
        chooseTop();
        return;
    }
    waitForEnter(QStringLiteral("Glue Volumes: select the top cell volume and press Enter/Return."),
                 QStringLiteral("the top cell volume"));
}

void GlueSubstrateOperation::chooseTop()
{
    Workspace &ws = workspace();
    if (!m_top)
        m_top = VolumeChoice(ws).selected(m_base);
    if (!m_top) {
        // The base alone (or nothing) is selected: ask again with a clean selection.
        ws.selection().clearSelection();
        ws.notifyUpdate();
        waitForEnter(QStringLiteral("Glue Volumes: select the top cell volume and press Enter/Return."),
                     QStringLiteral("the top cell volume"));
        return;
    }
    ws.console().writeMessage(QStringLiteral("Glue Volumes: top cell volume selected."));
    m_step = 2;
    ws.selection().clearSelection();
    ws.selection().setSelectionMode(false);
    ws.notifyUpdate();
    m_layout = GlueLayout::prepare(*m_base, *m_top);
    if (const auto &dialog = observer())
        dialog->notify();
    execute();
}

void GlueSubstrateOperation::execute()
{
    if (m_step != 2 || !m_base || !m_top || m_base == m_top) {
        cancel();
        return;
    }
    Workspace &ws = workspace();
    m_step = 3;
    if (m_layout.topIsEmpty())
        ws.console().writeMessage(QStringLiteral(
            "Glue Volumes: the top cell volume holds no occupied cell; the result holds the base alone."));

    QString failure;
    Util::RunControl control;
    {
        BusyScope busy(ws.busyIndicator(), name());
        ws.runJob(name(), control, [&] {
            QElapsedTimer timer;
            timer.start();
            try {
                GlueSubstrate engine(*m_base, *m_top, m_layout);
                engine.setRunControl(&control);
                m_result = engine.run();
                if (!m_result)
                    return;
                control.setStoppable(false);
                Util::DebugOutput::line(QStringLiteral("Time to simulate") + name() + QStringLiteral(": ") +
                                        QString::number(timer.elapsed()) + QStringLiteral(" ms"));
                timer.restart();
                ws.regenerateSurface(m_result, &control);
                Util::DebugOutput::line(QStringLiteral("Time to update surface: ") + QString::number(timer.elapsed()) +
                                        QStringLiteral(" ms"));
            } catch (const std::exception &error) {
                failure = Util::failureText(error, QStringLiteral("glue these cell volumes"));
            }
        });
    }
    if (failure.isEmpty() && control.wasStopped()) {
        // Stopped before the copy: nothing was made, and both volumes are as they were.
        m_result.reset();
        m_step = 2;
        ws.console().writeMessage(name() + QStringLiteral(": Operation canceled."));
        ws.console().reset();
        ws.operationCanceled();
        return;
    }
    if (!failure.isEmpty()) {
        // Nothing was added or removed: both volumes stay in the document as they were.
        m_result.reset();
        m_step = 2;
        ws.console().writeMessage(name() + QStringLiteral(": ") + failure);
        ws.reportError(name(), failure);
        ws.console().reset();
        ws.operationCanceled();
        return;
    }

    m_change.make(ws, {m_result}, {m_base, m_top});
    ws.console().writeMessage(QStringLiteral("Glue Volumes: volumes glued."));
    ws.console().reset();
    // operationFinished notifies the update observers: the view shows the result.
    ws.operationFinished();
}

void GlueSubstrateOperation::cancel()
{
    if (m_step == 3)
        return;
    workspace().console().reset();
    workspace().operationCanceled();
}

bool GlueSubstrateOperation::undo() { return m_change.undo(workspace()); }

bool GlueSubstrateOperation::redo() { return m_change.redo(workspace()); }

} // namespace Operations
} // namespace Core
