#pragma once

#include <QObject>
#include <QString>

class QAction;
class QSignalMapper;

namespace Ui {

/// Maps menu actions to texts (operation identifiers in decimal, or view names) and re-emits the
/// text of the action that was triggered.
class OperationMapper : public QObject {
    Q_OBJECT
public:
    explicit OperationMapper(QObject *parent = nullptr);

    /// Triggering `action` emits `activated(text)`.
    void addMapping(QAction *action, const QString &text);

signals:
    void activated(const QString &operationId);

private:
    QSignalMapper *m_mapper;
};

} // namespace Ui
