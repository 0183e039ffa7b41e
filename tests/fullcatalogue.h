#pragma once

#include "Model/Materials/materialfactory.h"

#include <QSet>

/// Gives a material to every identifier that new materials may get (2000 to 32766) except those in
/// `free`, so that the catalogue can hand out only those. The caller restores the catalogue.
inline void takeNewMaterialIds(const QSet<uint32_t> &free = {})
{
    using Model::Materials::MaterialFactory;
    auto catalogue = MaterialFactory::instance();
    for (uint32_t id = MaterialFactory::firstGeneratedId; id <= MaterialFactory::lastGeneratedId; ++id) {
        if (!free.contains(id))
            catalogue->setMaterial(Model::Materials::Material(id, QStringLiteral("Taken %1").arg(id), 1, 1, 0.3f));
    }
}
