#include "Core/Formats/surfaceexport.h"

#include "Model/Automaton/surfacemesh.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Persistence/surfacemeshfile.h"
#include "Util/failuretext.h"

#include <list>

namespace Core {
namespace SurfaceExport {

using Model::Automaton::SurfaceMesh;
using Model::Automaton::TotalVolume;
using Model::Persistence::SurfaceMeshFile;

namespace {

const char *const names[] = {"cubic", "marching-cubes", "octree"};

bool writeMeshes(const QList<TotalVolume *> &volumes, const QString &fileName, QString *error, size_t *triangles)
{
    try {
        std::list<SurfaceMesh> meshes;
        std::vector<const SurfaceMesh *> parts;
        size_t count = 0;
        for (TotalVolume *volume : volumes) {
            const float cellSize[3] = {volume->cellSizeX(), volume->cellSizeY(), volume->cellSizeZ()};
            meshes.emplace_back(cellSize, volume->position());
            volume->painter().appendShownSurface(meshes.back());
            parts.push_back(&meshes.back());
            count += meshes.back().triangleCount();
        }
        if (!SurfaceMeshFile::write(parts, fileName, error))
            return false;
        if (triangles)
            *triangles = count;
        return true;
    } catch (const std::exception &problem) {
        if (error)
            *error =
                SurfaceMeshFile::exportError(fileName, Util::failureText(problem, QStringLiteral("build the mesh")));
        return false;
    }
}

} // namespace

std::optional<uint32_t> algorithmNamed(const QString &name)
{
    for (uint32_t i = 0; i < 3; ++i) {
        if (name == QLatin1String(names[i]))
            return i;
    }
    return std::nullopt;
}

QStringList algorithmNames()
{
    QStringList list;
    for (const char *name : names)
        list << QString::fromLatin1(name);
    return list;
}

bool writeShown(const QList<Model::Automaton::TotalVolumePtr> &volumes, const QString &fileName, QString *error,
                size_t *triangles)
{
    QList<TotalVolume *> plain;
    for (const auto &volume : volumes)
        plain << volume.get();
    return writeMeshes(plain, fileName, error, triangles);
}

bool writeVolume(TotalVolume &volume, uint32_t algorithm, const QString &fileName, QString *error, size_t *triangles)
{
    // Say what is wrong with the file before the surface is built.
    const QString refusal = SurfaceMeshFile::refusal(fileName);
    if (!refusal.isEmpty()) {
        if (error)
            *error = SurfaceMeshFile::exportError(fileName, refusal);
        return false;
    }
    auto &painter = volume.painter();
    const uint32_t shown = painter.surfaceAlgorithm();
    painter.setSurfaceAlgorithm(algorithm);
    bool ok = painter.regenerateSurface();
    if (!ok) {
        if (error)
            *error = SurfaceMeshFile::exportError(fileName, painter.takeSurfaceFailure());
    } else {
        ok = writeMeshes({&volume}, fileName, error, triangles);
    }
    painter.releaseSurface();
    painter.setSurfaceAlgorithm(shown);
    return ok;
}

} // namespace SurfaceExport
} // namespace Core
