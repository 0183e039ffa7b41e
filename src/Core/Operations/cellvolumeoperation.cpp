#include "Core/Operations/cellvolumeoperation.h"

#include "Core/volumechoice.h"
#include "Core/workspace.h"
#include "Model/Volume/silattice.h"
#include "Util/debugoutput.h"
#include "Util/failuretext.h"

#include <QElapsedTimer>

#include <algorithm>
#include <exception>
#include <new>

namespace Core {
namespace Operations {

template <class Base> void CellVolumeOperation<Base>::chooseVolume(const Model::Automaton::TotalVolumePtr &volume)
{
    Workspace &ws = this->workspace();
    m_volume = volume;
    ws.selection().clearSelection();
    ws.selection().setSelectionMode(false);
    ws.notifyUpdate();
    ws.console().writeMessage(this->name() + QStringLiteral(": Cell volume selected."));
    if (const auto &dialog = this->observer())
        dialog->notify();
}

template <class Base> void CellVolumeOperation<Base>::start()
{
    if (m_volume)
        return;
    VolumeChoice choice(this->workspace());
    if (const auto volume = choice.obvious()) {
        chooseVolume(volume);
        execute();
        return;
    }
    choice.waitForEnter(this->shared_from_this(),
                        this->name() + QStringLiteral(": Select a cell volume and press Enter/Return."),
                        choice.volumePrompt(this->name()));
}

template <class Base> void CellVolumeOperation<Base>::cancel()
{
    Workspace &ws = this->workspace();
    ws.console().writeMessage(this->name() + QStringLiteral(": Operation canceled."));
    ws.console().reset();
    ws.operationCanceled();
}

template <class Base> bool CellVolumeOperation<Base>::beforeRun(Model::Automaton::TotalVolume &volume)
{
    const auto lattice = volume.siLattice();
    try {
        m_keptStates.resize(volume.cellCount());
        if (changesAtomCounts())
            m_keptAtoms.resize(volume.cellCount());
    } catch (const std::bad_alloc &) {
        std::vector<Model::Automaton::Cells::State>().swap(m_keptStates);
        std::vector<uint8_t>().swap(m_keptAtoms);
        return false;
    }
    Model::Automaton::CellLock lock(volume);
    const Model::Automaton::Cells cells = lock.cells();
    std::copy(cells.states(), cells.states() + m_keptStates.size(), m_keptStates.begin());
    // Without a lattice the counts are 0: a lattice the run lays starts over from the cells.
    for (size_t i = 0; lattice && i < m_keptAtoms.size(); ++i)
        m_keptAtoms[i] = uint8_t(lattice->atomCount(i));
    return true;
}

template <class Base> bool CellVolumeOperation<Base>::putBackCells(Model::Automaton::TotalVolume &volume)
{
    const bool kept = m_keptStates.size() == volume.cellCount() && !m_keptStates.empty();
    if (kept) {
        Model::Automaton::CellLock lock(volume);
        std::copy(m_keptStates.begin(), m_keptStates.end(), lock.cells().states());
        if (const auto lattice = volume.siLattice()) {
            for (size_t i = 0; i < m_keptAtoms.size(); ++i)
                lattice->setAtomCount(i, m_keptAtoms[i]);
        }
    }
    std::vector<Model::Automaton::Cells::State>().swap(m_keptStates);
    std::vector<uint8_t>().swap(m_keptAtoms);
    return kept;
}

template <class Base> void CellVolumeOperation<Base>::afterFailedRun(Model::Automaton::TotalVolume &volume)
{
    if (putBackCells(volume))
        this->workspace().regenerateSurface(this->volume());
}

template <class Base> void CellVolumeOperation<Base>::execute()
{
    if (!m_volume || !hasOptions()) {
        cancel();
        return;
    }
    Workspace &ws = this->workspace();
    Model::Automaton::TotalVolume &volume = *m_volume;

    Util::RunControl control;
    // Without the cells from before, a stopped run could not be taken back: it runs to its end.
    control.setStoppable(beforeRun(volume));
    bool failed = false;
    QString failure;
    qint64 simulated = 0;
    qint64 surfaced = 0;
    {
        // The window shows it is busy from the start of the run until the surface is ready.
        BusyScope busy(ws.busyIndicator(), this->name());
        m_control = &control;
        ws.runJob(this->name(), control, [&] {
            QElapsedTimer timer;
            timer.start();
            try {
                run(volume);
            } catch (const std::exception &error) {
                // Engines report impossible inputs by throwing; the user reads it in the console.
                failed = true;
                failure = Util::failureText(error, QStringLiteral("run ") + this->name() +
                                                       QStringLiteral(" on this cell volume"));
                return;
            }
            if (control.wasStopped())
                return;
            simulated = timer.elapsed();
            // The cells are final now: the surface is built for them whatever is asked.
            control.setStoppable(false);
            timer.restart();
            ws.regenerateSurface(m_volume, &control);
            surfaced = timer.elapsed();
        });
        m_control = nullptr;
    }
    if (failed) {
        afterFailedRun(volume);
        std::vector<Model::Automaton::Cells::State>().swap(m_keptStates);
        ws.console().writeMessage(this->name() + QStringLiteral(": ") + failure);
        cancel();
        return;
    }
    if (control.wasStopped()) {
        // The surface still shows the cells from before, which are put back exactly.
        putBackCells(volume);
        std::vector<Model::Automaton::Cells::State>().swap(m_keptStates);
        std::vector<uint8_t>().swap(m_keptAtoms);
        cancel();
        return;
    }
    std::vector<Model::Automaton::Cells::State>().swap(m_keptStates);
    std::vector<uint8_t>().swap(m_keptAtoms);
    Util::DebugOutput::line(QStringLiteral("Time to simulate") + this->name() + QStringLiteral(": ") +
                            QString::number(simulated) + QStringLiteral(" ms"));
    Util::DebugOutput::line(QStringLiteral("Time to update surface: ") + QString::number(surfaced) +
                            QStringLiteral(" ms"));

    afterRun(volume);
    ws.setLastOperation(volume.id(), this->typeCode());
    if (marksLatticeOutOfDate())
        ws.setLatticeOutOfDate(volume.id(), true);

    // operationFinished notifies the update observers: the view is redrawn once, after the run.
    ws.console().writeMessage(this->name() + QStringLiteral(": ") + finishedText());
    ws.console().reset();
    ws.operationFinished();
}

template class CellVolumeOperation<Operation>;
template class CellVolumeOperation<ObjectOperation>;

} // namespace Operations
} // namespace Core
