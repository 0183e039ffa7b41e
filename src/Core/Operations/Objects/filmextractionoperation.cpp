#include "Core/Operations/Objects/filmextractionoperation.h"

#include "Core/Engines/Volume/filmextractionengine.h"
#include "Core/Engines/Volume/sideplacement.h"
#include "Core/volumechoice.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Util/debugoutput.h"
#include "Util/failuretext.h"
#include "Util/runcontrol.h"

#include <QElapsedTimer>

#include <exception>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

FilmExtractionOperation::FilmExtractionOperation(Workspace &workspace)
    : ObjectOperation(workspace, QStringLiteral("Extract Film"), 8)
{
}

void FilmExtractionOperation::start()
{
    if (m_step != 0)
        return;
    Workspace &ws = workspace();
    VolumeChoice choice(ws);
    m_source = choice.obvious();
    if (!m_source) {
        choice.waitForEnter(shared_from_this(),
                            QStringLiteral("Extract Film: select a cell volume and press Enter/Return."),
                            choice.volumePrompt(name()));
        return;
    }
    ws.console().writeMessage(QStringLiteral("Extract Film: cell volume selected."));
    m_step = 1;
    ws.selection().setSelectionMode(false);
    if (const auto &dialog = observer())
        dialog->notify();
    execute();
}

void FilmExtractionOperation::execute()
{
    if (m_step != 1 || !m_materialChosen || !m_source) {
        cancel();
        return;
    }
    Workspace &ws = workspace();
    m_step = 2;

    QString failure;
    Util::RunControl control;
    {
        BusyScope busy(ws.busyIndicator(), name());
        ws.runJob(name(), control, [&] {
            QElapsedTimer timer;
            timer.start();
            try {
                FilmExtractionEngine engine(*m_source, m_material, m_invert);
                engine.setRunControl(&control);
                m_result = engine.run();
                if (m_result) {
                    control.setStoppable(false);
                    Util::DebugOutput::line(QStringLiteral("Time to simulate") + name() + QStringLiteral(": ") +
                                            QString::number(timer.elapsed()) + QStringLiteral(" ms"));
                    timer.restart();
                    ws.regenerateSurface(m_result, &control);
                    Util::DebugOutput::line(QStringLiteral("Time to update surface: ") +
                                            QString::number(timer.elapsed()) + QStringLiteral(" ms"));
                }
            } catch (const std::exception &error) {
                m_result.reset();
                failure = name() + QStringLiteral(": ") +
                          Util::failureText(error, QStringLiteral("extract a film from this cell volume"));
            }
        });
    }
    if (failure.isEmpty() && control.wasStopped())
        failure = name() + QStringLiteral(": Operation canceled.");
    if (!failure.isEmpty()) {
        endCanceled(failure);
        return;
    }
    if (!m_result) {
        const QString material = Model::Materials::MaterialFactory::instance()->getMaterial(m_material).name();
        endCanceled(QStringLiteral("Extract Film: no cell of ") + material + QStringLiteral(" in the volume."));
        return;
    }

    m_result->translate(Util::Vector4D(SidePlacement::xBeside(*m_source) - m_result->position().x, 0.0, 0.0, 0.0));
    m_change.make(ws, {m_result});
    ws.notifyUpdate();
    ws.console().writeMessage(QStringLiteral("Extract Film: film extracted."));
    ws.console().reset();
    ws.operationFinished();
}

void FilmExtractionOperation::endCanceled(const QString &message)
{
    Workspace &ws = workspace();
    if (!message.isEmpty())
        ws.console().writeMessage(message);
    ws.console().reset();
    ws.operationCanceled();
}

void FilmExtractionOperation::cancel()
{
    // Extracted: the film is in the document and the operation has finished.
    if (m_step == 2 && m_result)
        return;
    if (m_result) {
        workspace().document().removeObject(m_result);
        m_result.reset();
        workspace().notifyUpdate();
    }
    endCanceled(QString());
}

bool FilmExtractionOperation::undo() { return m_change.undo(workspace()); }

bool FilmExtractionOperation::redo() { return m_change.redo(workspace()); }

} // namespace Operations
} // namespace Core
