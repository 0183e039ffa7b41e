#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>

namespace Ui {

/// Tells when the material catalogue changed, whichever window, dialog or file changed it (Manage
/// Materials, a material of an opened document or list replacing one, new colours chosen in a
/// view's options), so that every view redraws and no volume keeps its old colours.
class CatalogueWatcher : public QObject {
    Q_OBJECT
public:
    explicit CatalogueWatcher(QObject *parent = nullptr, int intervalMs = 250);

    /// Compares the catalogue's revision with the one seen last; emits changed() when it moved.
    void check();

signals:
    void changed();

private:
    QTimer m_timer;
    uint64_t m_seen;
};

} // namespace Ui
