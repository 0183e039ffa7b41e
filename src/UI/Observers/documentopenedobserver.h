#pragma once

#include "Core/Operations/Document/idocumentdialogs.h"
#include "Util/iobserver.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// A main window made for a document being opened, and the workspace behind it.
struct OpenedWindow {
    QWidget *window = nullptr;
    Core::Workspace *workspace = nullptr;
};

/// Opens the file chosen in the open dialog in a new main window and shows that window beside the
/// window it was opened from (`source`): as large, moved right and down so that both can be seen.
/// Material conflicts go to the open operation current in the window the observer belongs to.
class DocumentOpenedObserver : public Util::IObserver {
public:
    using WindowFactory = std::function<OpenedWindow()>;

    DocumentOpenedObserver(Core::Workspace &workspace, WindowFactory createWindow,
                           Core::Operations::DocumentDialogsPtr dialogs, QWidget *source = nullptr)
        : m_workspace(workspace)
        , m_createWindow(std::move(createWindow))
        , m_dialogs(std::move(dialogs))
        , m_source(source)
    {
    }
    void notify() override;

    /// Where a window opened from one with the frame `source` goes on a screen whose free area is
    /// `screen`: the same size, `offset` pixels right and down (left and up where there is no room),
    /// made smaller where the screen could not hold both apart.
    static QRect besideSource(const QRect &source, const QRect &screen, int offset = 40);
    /// Shows a new window beside `source` with its size (maximized when there is no visible source).
    static void showBeside(QWidget *window, QWidget *source);

private:
    Core::Workspace &m_workspace;
    WindowFactory m_createWindow;
    Core::Operations::DocumentDialogsPtr m_dialogs;
    QPointer<QWidget> m_source;
};

} // namespace Observers
} // namespace Ui
