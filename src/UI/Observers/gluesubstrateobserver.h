#pragma once

#include "Util/iobserver.h"

#include <QPointer>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the Glue Substrate dialog for the two chosen volumes; a rejected dialog leaves the defaults.
class GlueSubstrateObserver : public Util::IObserver {
public:
    GlueSubstrateObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QPointer<QWidget> m_mainWindow;
};

} // namespace Observers
} // namespace Ui
