#pragma once

#include "Util/iobserver.h"

#include <QPointer>
#include <QWidget>

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// After a save, shows the document's file name in the main window's title.
class DocumentSavedObserver : public Util::IObserver {
public:
    DocumentSavedObserver(QWidget *mainWindow, Core::Workspace &workspace)
        : m_mainWindow(mainWindow)
        , m_workspace(workspace)
    {
    }
    void notify() override;

private:
    QPointer<QWidget> m_mainWindow;
    Core::Workspace &m_workspace;
};

} // namespace Observers
} // namespace Ui
