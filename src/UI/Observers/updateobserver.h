#pragma once

#include "Util/iobserver.h"

#include <QObject>

namespace Ui {
namespace Observers {

/// Follows the workspace's update list: the scene changed, the view must be redrawn.
class UpdateObserver : public QObject, public Util::IObserver {
    Q_OBJECT
public:
    using QObject::QObject;
    void notify() override { emit updateGL(); }

signals:
    void updateGL();
};

} // namespace Observers
} // namespace Ui
