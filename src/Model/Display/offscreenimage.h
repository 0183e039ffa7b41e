#pragma once

#include <QString>

#include <memory>

namespace Model {
class Document;
namespace Surfaces {
class ShownSurfaces;
}

namespace Display {

/// Draws a document into an image file without a window, for "Save Image" steps of unattended
/// runs (and of list runs in a window that cannot show the run). Needs a GUI application object
/// and an OpenGL context (a display or Xvfb); without one it fails with a message instead of
/// drawing.
class OffscreenImage {
public:
    OffscreenImage(int width = 1024, int height = 768)
        : m_width(width)
        , m_height(height)
    {
    }

    /// Regenerates the surfaces of the document's volumes and draws them. False with a message
    /// when there is no context, a volume's surface cannot be generated (out of memory) or the
    /// file cannot be written.
    bool save(const Document &document, const QString &fileName, QString *error) const;

    /// The surfaces to build and draw (a window's, which then show the new cells too); without,
    /// save() builds surfaces of its own, which live only while it draws.
    void setSurfaces(const std::shared_ptr<Surfaces::ShownSurfaces> &surfaces) { m_surfaces = surfaces; }
    /// With this set, save() gives the surfaces' memory back once the image is drawn: a headless
    /// run draws nothing else, so it keeps no surfaces between images.
    void setReleaseSurfaces(bool release) { m_releaseSurfaces = release; }

private:
    int m_width;
    int m_height;
    std::shared_ptr<Surfaces::ShownSurfaces> m_surfaces;
    bool m_releaseSurfaces = false;
};

} // namespace Display
} // namespace Model
