#pragma once

#include <QString>

namespace Model {
class Document;
}

namespace Core {
namespace BatchRun {

/// Draws a document into an image file without a window, for "Save Image" steps of unattended
/// runs. Needs a GUI application object and an OpenGL context (a display or Xvfb); without one
/// it fails with a message instead of drawing.
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
    bool save(const Model::Document &document, const QString &fileName, QString *error) const;

    /// With this set, save() gives the surfaces' memory back once the image is drawn: a headless
    /// run draws nothing else, so it keeps no surfaces between images.
    void setReleaseSurfaces(bool release) { m_releaseSurfaces = release; }

private:
    int m_width;
    int m_height;
    bool m_releaseSurfaces = false;
};

} // namespace BatchRun
} // namespace Core
