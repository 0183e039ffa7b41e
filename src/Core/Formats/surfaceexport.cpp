#include "Core/Formats/surfaceexport.h"

#include "Model/Persistence/surfacemeshfile.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Surfaces/surfacemesh.h"
#include "Util/failuretext.h"

#include <list>

namespace Core {
namespace SurfaceExport {

using Model::Automaton::SurfaceAlgorithm;
using Model::Automaton::SurfaceMesh;
using Model::Automaton::TotalVolume;
using Model::Persistence::SurfaceMeshFile;
using Model::Surfaces::VolumeSurface;

namespace {

const struct {
    const char *name;
    SurfaceAlgorithm algorithm;
} names[] = {{"cubic", SurfaceAlgorithm::CubicFaces},
             {"marching-cubes", SurfaceAlgorithm::MarchingCubes},
             {"octree", SurfaceAlgorithm::Octree}};

bool writeMeshes(const QList<const VolumeSurface *> &surfaces, const QString &fileName, QString *error,
                 size_t *triangles)
{
    try {
        std::list<SurfaceMesh> meshes;
        std::vector<const SurfaceMesh *> parts;
        size_t count = 0;
        for (const VolumeSurface *surface : surfaces) {
            const TotalVolume &volume = surface->volume();
            const float cellSize[3] = {volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()};
            meshes.emplace_back(cellSize, volume.position());
            surface->appendShownSurface(meshes.back());
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

std::optional<SurfaceAlgorithm> algorithmNamed(const QString &name)
{
    for (const auto &entry : names) {
        if (name == QLatin1String(entry.name))
            return entry.algorithm;
    }
    return std::nullopt;
}

QStringList algorithmNames()
{
    QStringList list;
    for (const auto &entry : names)
        list << QString::fromLatin1(entry.name);
    return list;
}

bool writeShown(Model::Surfaces::ShownSurfaces &surfaces, const QList<Model::Automaton::TotalVolumePtr> &volumes,
                const QString &fileName, QString *error, size_t *triangles)
{
    // A volume never shown gives an empty part, as its surface is empty.
    std::vector<std::shared_ptr<VolumeSurface>> held;
    QList<const VolumeSurface *> shown;
    for (const auto &volume : volumes) {
        held.push_back(surfaces.of(volume));
        shown << held.back().get();
    }
    return writeMeshes(shown, fileName, error, triangles);
}

bool writeVolume(TotalVolume &volume, SurfaceAlgorithm algorithm, const QString &fileName, QString *error,
                 size_t *triangles)
{
    // Say what is wrong with the file before the surface is built.
    const QString refusal = SurfaceMeshFile::refusal(fileName);
    if (!refusal.isEmpty()) {
        if (error)
            *error = SurfaceMeshFile::exportError(fileName, refusal);
        return false;
    }
    VolumeSurface surface(volume);
    surface.setAlgorithm(algorithm);
    bool ok = surface.regenerate();
    if (!ok) {
        if (error)
            *error = SurfaceMeshFile::exportError(fileName, surface.takeFailure());
    } else {
        ok = writeMeshes({&surface}, fileName, error, triangles);
    }
    return ok;
}

} // namespace SurfaceExport
} // namespace Core
