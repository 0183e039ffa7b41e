#pragma once

#include "Model/Volume/surfacealgorithm.h"
#include "Model/Volume/totalvolume.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Model {
namespace Surfaces {
class ShownSurfaces;
}
} // namespace Model

namespace Core {

/// Writes the surfaces of cell volumes to mesh files (File > "Export Surface...", and
/// cellforge-batch --export-surface): binary STL or PLY by the file's extension, in world units.
namespace SurfaceExport {

/// The algorithm a command-line name stands for: "cubic", "marching-cubes", "octree".
std::optional<Model::Automaton::SurfaceAlgorithm> algorithmNamed(const QString &name);
/// The names algorithmNamed() knows, in that order.
QStringList algorithmNames();

/// Writes the surfaces the volumes show now, as they were last generated in `surfaces` (a
/// window's), into one file. False with the words for the user in `error`; `triangles` receives
/// the count written.
bool writeShown(Model::Surfaces::ShownSurfaces &surfaces, const QList<Model::Automaton::TotalVolumePtr> &volumes,
                const QString &fileName, QString *error, size_t *triangles = nullptr);

/// Builds a surface of the volume by `algorithm` within its cut window, writes it and lets it go
/// again (headless runs, where nothing is shown). The volume's view is left as it is.
bool writeVolume(Model::Automaton::TotalVolume &volume, Model::Automaton::SurfaceAlgorithm algorithm,
                 const QString &fileName, QString *error, size_t *triangles = nullptr);

} // namespace SurfaceExport
} // namespace Core
