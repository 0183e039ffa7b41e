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

    bool save(const Model::Document &document, const QString &fileName, QString *error) const;

private:
    int m_width;
    int m_height;
};

} // namespace BatchRun
} // namespace Core
