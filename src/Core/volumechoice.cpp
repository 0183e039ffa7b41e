#include "Core/volumechoice.h"

#include "Core/workspace.h"

namespace Core {

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

QList<TotalVolumePtr> VolumeChoice::volumes() const
{
    QList<TotalVolumePtr> result;
    for (const auto &object : m_workspace.document().allObjects()) {
        if (auto volume = std::dynamic_pointer_cast<TotalVolume>(object))
            result << volume;
    }
    return result;
}

TotalVolumePtr VolumeChoice::selected(const TotalVolumePtr &except) const
{
    for (const auto &object : m_workspace.pickState().selected()) {
        auto volume = std::dynamic_pointer_cast<TotalVolume>(object);
        if (volume && volume != except)
            return volume;
    }
    return nullptr;
}

TotalVolumePtr VolumeChoice::obvious() const
{
    if (auto volume = selected())
        return volume;
    const auto all = volumes();
    return all.size() == 1 ? all.first() : nullptr;
}

void VolumeChoice::waitForEnter(const Operations::OperationPtr &requester, const QString &consoleText,
                                const QString &windowText)
{
    m_workspace.console().writeMessage(consoleText);
    m_workspace.console().requestEnter(requester);
    m_workspace.console().setPrompt(windowText);
    m_workspace.selection().setSelectionMode(true);
}

QString VolumeChoice::clickPrompt(const QString &operationName, const QString &what)
{
    return operationName + QStringLiteral(u": Click ") + what + QStringLiteral(u", then press Enter — Esc cancels");
}

QString VolumeChoice::volumePrompt(const QString &operationName, const QString &what) const
{
    if (volumes().isEmpty())
        return operationName +
               QStringLiteral(u": There is no cell volume yet: make one with Create Substrate first — Esc cancels");
    return clickPrompt(operationName, what);
}

} // namespace Core
