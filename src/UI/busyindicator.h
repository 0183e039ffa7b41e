#pragma once

#include "Core/ibusyindicator.h"

#include <QPointer>

class QMainWindow;

namespace Ui {

/// Shows a running engine in a main window: the wait cursor and a status-bar text naming the
/// operation, both taken away when it ends. The presenter hands one to its workspace; observers
/// or other code can use it directly through `Core::BusyScope`.
class BusyIndicator : public Core::IBusyIndicator {
public:
    explicit BusyIndicator(QMainWindow *window);

    void begin(const QString &operationName) override;
    void end() override;

    /// The status-bar text while the operation runs.
    static QString message(const QString &operationName);

private:
    QPointer<QMainWindow> m_window;
    int m_depth = 0;
};

} // namespace Ui
