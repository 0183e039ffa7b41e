#pragma once

#include "Model/Automaton/totalvolume.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Core {

/// Writes the surfaces of cell volumes to mesh files (File > "Export Surface...", and
/// cellforge-batch --export-surface): binary STL or PLY by the file's extension, in world units.
namespace SurfaceExport {

/// The algorithm a command-line name stands for: "cubic" 0, "marching-cubes" 1, "octree" 2.
std::optional<uint32_t> algorithmNamed(const QString &name);
/// The names algorithmNamed() knows, in that order.
QStringList algorithmNames();

/// Writes the surfaces the volumes show now, as their painters last generated them, into one
/// file. False with the words for the user in `error`; `triangles` receives the count written.
bool writeShown(const QList<Model::Automaton::TotalVolumePtr> &volumes, const QString &fileName, QString *error,
                size_t *triangles = nullptr);

/// Builds the volume's surface by `algorithm`, writes it and lets it go again (headless runs, where
/// nothing is shown). The volume's own choice of algorithm is kept.
bool writeVolume(Model::Automaton::TotalVolume &volume, uint32_t algorithm, const QString &fileName, QString *error,
                 size_t *triangles = nullptr);

} // namespace SurfaceExport
} // namespace Core
