#include "Model/Display/offscreenimage.h"

#include "Model/Display/gl.h"
#include "Model/Display/scenepainter.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/totalvolume.h"
#include "Model/document.h"
#include "Util/safefile.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <algorithm>
#include <cmath>

namespace Model {
namespace Display {

namespace {

// The bounding box of the scene's cell volumes, so that the camera frames all of them.
void sceneBounds(const Document &document, Util::Vector3D &low, Util::Vector3D &high)
{
    bool any = false;
    for (const auto &object : document.allObjects()) {
        auto volume = std::dynamic_pointer_cast<Automaton::TotalVolume>(object);
        if (!volume)
            continue;
        const Util::Vector3D p = volume->position();
        const Util::Vector3D q(p.x + volume->sizeX() * volume->cellSizeX(), p.y + volume->sizeY() * volume->cellSizeY(),
                               p.z + volume->sizeZ() * volume->cellSizeZ());
        if (!any) {
            low = p;
            high = q;
            any = true;
            continue;
        }
        low = Util::Vector3D(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = Util::Vector3D(std::max(high.x, q.x), std::max(high.y, q.y), std::max(high.z, q.z));
    }
    if (!any) {
        low = Util::Vector3D(0.0, 0.0, 0.0);
        high = Util::Vector3D(1.0, 1.0, 1.0);
    }
}

// Gives the surfaces of the document's volumes back on the way out, when asked to.
class SurfaceRelease {
public:
    SurfaceRelease(const Document &document, const Surfaces::ShownSurfaces &surfaces, bool release)
        : m_document(document)
        , m_surfaces(surfaces)
        , m_release(release)
    {
    }
    ~SurfaceRelease()
    {
        if (!m_release)
            return;
        for (const auto &object : m_document.allObjects()) {
            if (auto volume = std::dynamic_pointer_cast<Automaton::TotalVolume>(object)) {
                if (const auto surface = m_surfaces.find(*volume))
                    surface->release();
            }
        }
    }
    SurfaceRelease(const SurfaceRelease &) = delete;
    SurfaceRelease &operator=(const SurfaceRelease &) = delete;

private:
    const Document &m_document;
    const Surfaces::ShownSurfaces &m_surfaces;
    bool m_release;
};

} // namespace

bool OffscreenImage::save(const Document &document, const QString &fileName, QString *error) const
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return fail(QStringLiteral("Images cannot be rendered without a graphical session."));
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!surface.isValid() || !context.create() || !context.makeCurrent(&surface))
        return fail(QStringLiteral("No OpenGL context could be made, so the image cannot be rendered off screen "
                                   "(run under a display or Xvfb, e.g. xvfb-run)."));

    QImage image;
    {
        QOpenGLFramebufferObjectFormat format;
        format.setAttachment(QOpenGLFramebufferObject::Depth);
        QOpenGLFramebufferObject fbo(m_width, m_height, format);
        if (!fbo.isValid() || !fbo.bind()) {
            context.doneCurrent();
            return fail(QStringLiteral("The off-screen frame buffer could not be made."));
        }
        // The runner changes cells without drawing; the surfaces are brought up to date here.
        const auto surfaces = m_surfaces ? m_surfaces : std::make_shared<Surfaces::ShownSurfaces>();
        const SurfaceRelease release(document, *surfaces, m_releaseSurfaces);
        for (const auto &object : document.allObjects()) {
            auto volume = std::dynamic_pointer_cast<Automaton::TotalVolume>(object);
            if (volume && !surfaces->regenerate(volume))
                return fail(surfaces->of(volume)->takeFailure());
        }
        Util::Vector3D low, high;
        sceneBounds(document, low, high);
        const Util::Vector3D centre((low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2);
        const double radius =
            std::max(1.0, std::sqrt((high.x - low.x) * (high.x - low.x) + (high.y - low.y) * (high.y - low.y) +
                                    (high.z - low.z) * (high.z - low.z)) /
                              2);
        // A view from the front, to the right and above, as a user would first look at a substrate.
        const Util::Vector3D eye(centre.x + 1.6 * radius, centre.y - 2.2 * radius, centre.z + 1.4 * radius);

        glViewport(0, 0, m_width, m_height);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(35.0, double(m_width) / m_height, radius * 0.1, radius * 10.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.0, 0.0, 1.0);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_COLOR_MATERIAL);
        ScenePainter(document, *surfaces).draw(true, true, eye);
        glFinish();
        image = fbo.toImage();
        fbo.release();
    }
    context.doneCurrent();
    const QByteArray format = QFileInfo(fileName).suffix().toLower().toLatin1();
    if (!QImageWriter::supportedImageFormats().contains(format))
        return fail(QStringLiteral("The image could not be written to \"%1\": the name must end in .png, .xpm or .jpg.")
                        .arg(fileName));
    QString reason;
    if (!Util::saveImageFile(image, fileName, format, &reason))
        return fail(QStringLiteral("The image could not be written to \"%1\": %2").arg(fileName, reason));
    return true;
}

} // namespace Display
} // namespace Model
