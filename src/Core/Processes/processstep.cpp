#include "Core/Processes/processstep.h"

#include <QDebug>

#include <atomic>

namespace Core {
namespace Processes {

namespace {
std::atomic<uint32_t> nextSerialNumber{0};
}

ProcessStep::ProcessStep(int processType)
    : m_serialNumber(nextSerialNumber++)
    , m_processType(processType)
{
}

void ProcessStep::setParameter(const QString &name, const QVariant &value, bool visible)
{
    m_parameters.insert(name, value);
    m_visibility.insert(name, visible);
}

void ProcessStep::setParameterValue(const QString &name, const QVariant &value)
{
    m_parameters.insert(name, value);
    if (!m_visibility.contains(name))
        m_visibility.insert(name, true);
}

void ProcessStep::removeParameter(const QString &name)
{
    m_parameters.remove(name);
    m_visibility.remove(name);
    m_unconverted.remove(name);
}

QVariant ProcessStep::getProcessParameter(const QString &name) const
{
    const auto it = m_parameters.constFind(name);
    if (it == m_parameters.constEnd()) {
        qDebug() << "Core/BatchRun/processdata" << Q_FUNC_INFO << "no parameter" << name;
        return QVariant();
    }
    return it.value();
}

bool ProcessStep::getParameterVisibility(const QString &name) const
{
    const auto it = m_visibility.constFind(name);
    if (it == m_visibility.constEnd()) {
        qDebug() << "Core/BatchRun/processdata" << Q_FUNC_INFO << "no parameter" << name;
        return false;
    }
    return it.value();
}

} // namespace Processes
} // namespace Core
