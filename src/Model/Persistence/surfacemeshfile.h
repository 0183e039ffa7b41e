#pragma once

#include <QString>

#include <vector>

namespace Model {
namespace Automaton {
class SurfaceMesh;
}
namespace Persistence {

/// Writes surfaces as mesh files that CAD, FEA and slicing tools open: binary STL (".stl"), or
/// binary PLY with shared vertices and a colour per face (".ply"), chosen by the file's extension.
/// Several meshes go into one file side by side.
class SurfaceMeshFile {
public:
    enum class Format { Unknown, Stl, Ply };

    /// By the extension, in any letter case.
    static Format formatOf(const QString &fileName);
    /// "The surface could not be exported to ..." with the reason.
    static QString exportError(const QString &fileName, const QString &reason);
    /// Why `fileName` cannot be written as a mesh (its extension, or what is there already), or an
    /// empty text; nothing is written.
    static QString refusal(const QString &fileName);

    /// Writes the meshes; the file is replaced only when all of it was written, and on failure the
    /// words for the user are in `error`.
    static bool write(const std::vector<const Automaton::SurfaceMesh *> &meshes, const QString &fileName,
                      QString *error);
};

} // namespace Persistence
} // namespace Model
