#pragma once

#include "Util/iobserver.h"

#include <QObject>

namespace Ui {
namespace Observers {

/// Follows the undo or the redo stack and turns each change into a signal.
class UndoRedoObserver : public QObject, public Util::IObserver {
    Q_OBJECT
public:
    using QObject::QObject;
    void notify() override { emit stackChanged(); }

signals:
    void stackChanged();
};

} // namespace Observers
} // namespace Ui
