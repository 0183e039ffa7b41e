#include "scenepainter.h"

#include "Model/Display/extractedmodelpainter.h"
#include "Model/Display/gl.h"
#include "Model/Display/volumepainter.h"
#include "Model/ModelExtraction/extractedmodel.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/totalvolume.h"
#include "Model/document.h"

namespace Model {
namespace Display {

namespace {

// Calls `volume` or `model` for each object of the document that is one, in drawing order.
template <class Volume, class Extracted> void forEachObject(const Document &document, Volume volume, Extracted model)
{
    for (const auto &layer : document.layers()) {
        for (const auto &object : layer->objects()) {
            if (auto v = std::dynamic_pointer_cast<Automaton::TotalVolume>(object))
                volume(v);
            else if (auto m = std::dynamic_pointer_cast<ModelExtraction::ExtractedModel>(object))
                model(*m);
        }
    }
}

} // namespace

void ScenePainter::draw(bool showSurface, bool showEdges, const Util::Vector3D &eye)
{
    GLint mode = 0;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (mode == GL_SELECT) {
        drawForPicking();
        return;
    }
    if (mode != GL_RENDER)
        return;
    // Surfaces of volumes that are gone (a new document, a volume whose undo was dropped) give
    // their memory back here, at the next frame.
    m_surfaces.dropOrphans();
    forEachObject(
        m_document,
        [&](const Automaton::TotalVolumePtr &volume) {
            VolumePainter(*volume, *m_surfaces.of(volume)).draw(showSurface, showEdges, eye);
        },
        [&](ModelExtraction::ExtractedModel &model) { ExtractedModelPainter(model).draw(showSurface); });
}

void ScenePainter::drawForPicking()
{
    forEachObject(
        m_document,
        [&](const Automaton::TotalVolumePtr &volume) {
            glPushName(volume->id());
            VolumePainter(*volume, *m_surfaces.of(volume)).drawForPicking();
            glPopName();
        },
        [&](ModelExtraction::ExtractedModel &model) {
            glPushName(model.id());
            ExtractedModelPainter(model).drawForPicking();
            glPopName();
        });
}

std::optional<std::vector<uint32_t>> ScenePainter::pick(int x, int y)
{
    GLuint buffer[2048];
    GLint viewport[4];
    GLdouble projection[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);

    glSelectBuffer(2048, buffer);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(x, viewport[1] + viewport[3] - y, 4.0, 4.0, viewport);
    glMultMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glRenderMode(GL_SELECT);
    glInitNames();
    drawForPicking();
    const GLint hits = glRenderMode(GL_RENDER);

    std::optional<std::vector<uint32_t>> names;
    if (hits > 0) {
        names.emplace();
        const GLuint nameCount = buffer[0];
        for (GLuint i = 0; i < nameCount && 3 + i < 2048; ++i)
            names->push_back(buffer[3 + i]);
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    return names;
}

} // namespace Display
} // namespace Model
