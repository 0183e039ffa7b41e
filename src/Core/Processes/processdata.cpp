#include "Core/Processes/processdata.h"

#include <QDebug>

#include <atomic>

namespace Ui {

namespace {
std::atomic<uint32_t> nextSerialNumber{0};
}

ProcessData::ProcessData(int processType)
    : m_serialNumber(nextSerialNumber++)
    , m_processType(processType)
{
}

void ProcessData::setParameter(const QString &name, const QVariant &value, bool visible)
{
    m_parameters.insert(name, value);
    m_visibility.insert(name, visible);
}

void ProcessData::setParameterValue(const QString &name, const QVariant &value)
{
    m_parameters.insert(name, value);
    if (!m_visibility.contains(name))
        m_visibility.insert(name, true);
}

void ProcessData::removeParameter(const QString &name)
{
    m_parameters.remove(name);
    m_visibility.remove(name);
    m_unconverted.remove(name);
}

QVariant ProcessData::getProcessParameter(const QString &name) const
{
    const auto it = m_parameters.constFind(name);
    if (it == m_parameters.constEnd()) {
        qDebug() << "Core/BatchRun/processdata" << Q_FUNC_INFO << "no parameter" << name;
        return QVariant();
    }
    return it.value();
}

bool ProcessData::getParameterVisibility(const QString &name) const
{
    const auto it = m_visibility.constFind(name);
    if (it == m_visibility.constEnd()) {
        qDebug() << "Core/BatchRun/processdata" << Q_FUNC_INFO << "no parameter" << name;
        return false;
    }
    return it.value();
}

} // namespace Ui
