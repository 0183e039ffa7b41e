#pragma once

#include "objectarchiver.h"

#include <QMap>

#include <cstdint>

namespace Model {
namespace Persistence {

/// Whether reading a cell volume also builds its display surface: a window shows it at once, the
/// command-line runner never draws (its "Save Image" steps build what they draw).
enum class SurfaceBuilding { Skip, Build };

/// Which archiver stores which object type (the value of Object::type()).
class ArchiverRegistry {
public:
    /// The registry of cell volumes (type 1) only; extracted models are never stored. Windows
    /// read with SurfaceBuilding::Build.
    static ArchiverRegistry standard(SurfaceBuilding surfaces = SurfaceBuilding::Skip);

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
