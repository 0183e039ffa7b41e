#include "process.h"

#include "Model/Materials/materialfactory.h"

namespace Model {
namespace Process {

QList<Materials::Material> Process::compatibleMaterials() const
{
    const auto catalogue = Materials::MaterialFactory::instance();
    QList<Materials::Material> result;
    for (uint32_t id : m_materialIds) {
        const Materials::Material material = catalogue->getMaterial(id);
        if (material.id() != 0)
            result.append(material);
    }
    return result;
}

} // namespace Process
} // namespace Model
