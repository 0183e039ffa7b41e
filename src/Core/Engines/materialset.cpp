#include "Core/Engines/materialset.h"

#include "Model/Process/processfactory.h"

#include <algorithm>

namespace Core {
namespace Operations {

MaterialSet::MaterialSet(const std::vector<uint32_t> &materials)
    : m_materials(materials)
{
    std::sort(m_materials.begin(), m_materials.end());
    m_materials.erase(std::unique(m_materials.begin(), m_materials.end()), m_materials.end());
    for (uint32_t m : m_materials) {
        if (m < 64)
            m_small |= uint64_t(1) << m;
        else
            m_large.push_back(m);
    }
}

MaterialSet MaterialSet::compatibleWith(uint32_t processId)
{
    const QList<uint32_t> ids =
        Model::Process::ProcessFactory::instance()->getProcess(processId).compatibleMaterialIds();
    return MaterialSet(std::vector<uint32_t>(ids.begin(), ids.end()));
}

QString noCompatibleMaterialsText(uint32_t processId, const QString &verb)
{
    const QString process = Model::Process::ProcessFactory::instance()->getProcess(processId).name();
    return QStringLiteral("No material can be %1: the process \"%2\" has no compatible materials "
                          "(Materials > Manage Compatible Materials).")
        .arg(verb, process);
}

} // namespace Operations
} // namespace Core
