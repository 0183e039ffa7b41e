#pragma once

#include "Util/iobserver.h"

#include <QPointer>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the Extract Film dialog; on acceptance the film's material and the invert flag go to the operation.
class FilmExtractionObserver : public Util::IObserver {
public:
    FilmExtractionObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QPointer<QWidget> m_mainWindow;
};

} // namespace Observers
} // namespace Ui
