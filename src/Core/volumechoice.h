#pragma once

#include "Core/Operations/operation.h"
#include "Model/Volume/totalvolume.h"

#include <QList>
#include <QString>

namespace Core {

class Workspace;

/// How the operations that work on cell volumes find theirs: the selected one, or the document's
/// only one when the choice is obvious. Otherwise they wait for the user and say what to do in the
/// console and, in the same words for every operation, in the window (status bar and view).
class VolumeChoice {
public:
    explicit VolumeChoice(Workspace &workspace)
        : m_workspace(workspace)
    {
    }

    /// The cell volumes of the document, in its order.
    QList<Model::Automaton::TotalVolumePtr> volumes() const;
    /// The first selected cell volume other than `except`; null when there is none.
    Model::Automaton::TotalVolumePtr selected(const Model::Automaton::TotalVolumePtr &except = nullptr) const;
    /// The selected cell volume, else the document's only one; null when the user has to choose.
    Model::Automaton::TotalVolumePtr obvious() const;

    /// Writes `consoleText` to the console, shows `windowText` in the window, asks the console for Enter
    /// with `requester` (Enter calls its `start` again) and switches selection mode on.
    void waitForEnter(const Operations::OperationPtr &requester, const QString &consoleText, const QString &windowText);

    /// The window's line while an operation waits for a pick: "<operation>: Click <what>, then press
    /// Enter — Esc cancels".
    static QString clickPrompt(const QString &operationName, const QString &what);
    /// clickPrompt for a cell volume; when the document holds none, it says that one must be made first.
    QString volumePrompt(const QString &operationName, const QString &what = QStringLiteral("a cell volume")) const;

private:
    Workspace &m_workspace;
};

} // namespace Core
