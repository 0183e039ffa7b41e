#pragma once

#include "objectarchiver.h"

#include <QMap>

#include <cstdint>

namespace Model {
namespace Persistence {

/// Which archiver stores which object type (the value of Object::type()).
class ArchiverRegistry {
public:
    /// The registry of cell volumes (type 1) only; extracted models are never stored.
    static ArchiverRegistry standard();

    void registerArchiver(uint32_t type, const ObjectArchiverPtr &archiver) { m_archivers.insert(type, archiver); }
    /// Null for a type without an archiver.
    ObjectArchiverPtr archiver(uint32_t type) const { return m_archivers.value(type); }
    /// Tells every archiver that a new document is about to be read.
    void beginDocument() const
    {
        for (const auto &archiver : m_archivers)
            archiver->beginDocument();
    }

private:
    QMap<uint32_t, ObjectArchiverPtr> m_archivers;
};

} // namespace Persistence
} // namespace Model
