#pragma once

#include "Core/Operations/documentdialogs.h"
#include "Util/iobserver.h"

#include <functional>

class QWidget;

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

/// Opens the file chosen in the open dialog in a new main window and shows that window. Material
/// conflicts go to the open operation current in the window the observer belongs to.
class DocumentOpenedObserver : public Util::IObserver {
public:
    using WindowFactory = std::function<OpenedWindow()>;

    DocumentOpenedObserver(Core::Workspace &workspace, WindowFactory createWindow,
                           Core::Operations::DocumentDialogsPtr dialogs)
        : m_workspace(workspace)
        , m_createWindow(std::move(createWindow))
        , m_dialogs(std::move(dialogs))
    {
    }
    void notify() override;

private:
    Core::Workspace &m_workspace;
    WindowFactory m_createWindow;
    Core::Operations::DocumentDialogsPtr m_dialogs;
};

} // namespace Observers
} // namespace Ui
