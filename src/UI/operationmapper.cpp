#include "UI/operationmapper.h"

#include <QAction>
#include <QSignalMapper>

namespace Ui {

OperationMapper::OperationMapper(QObject *parent)
    : QObject(parent)
    , m_mapper(new QSignalMapper(this))
{
    connect(m_mapper, &QSignalMapper::mappedString, this, &OperationMapper::activated);
}

void OperationMapper::addMapping(QAction *action, const QString &text)
{
    m_mapper->setMapping(action, text);
    connect(action, &QAction::triggered, m_mapper, static_cast<void (QSignalMapper::*)()>(&QSignalMapper::map));
}

} // namespace Ui
