#include "surfacedrawing.h"

#include "Model/Display/edgelines.h"
#include "Model/Display/facebatch.h"
#include "Model/Display/gl.h"
#include "Model/Surfaces/facemesh.h"
#include "Model/Surfaces/fieldpainter.h"
#include "Model/Surfaces/marchingcubesurface.h"
#include "Model/Surfaces/octreesurface.h"
#include "Model/Surfaces/quadface.h"

#include <algorithm>

namespace Model {
namespace Display {

using Automaton::EdgeLines;
using Automaton::FaceBatch;
using Automaton::FaceMesh;
using Geometry::CellFace;
using Geometry::NodeFace;

void drawFaceMesh(const FaceMesh &mesh, const Automaton::FacePalette &palette, const double eye[3], bool eyeKnown,
                  const float cellSize[3])
{
    const bool compact = mesh.isCompact();
    if (compact) {
        // Positions count in 1/64 of a cell; normals then need rescaling for the lighting.
        glPushAttrib(GL_ENABLE_BIT);
        glPushMatrix();
        glScalef(cellSize[0] / FaceMesh::compactUnits, cellSize[1] / FaceMesh::compactUnits,
                 cellSize[2] / FaceMesh::compactUnits);
        glEnable(GL_NORMALIZE);
    }
    // glDrawArrays counts in GLsizei: very long runs go in pieces.
    constexpr size_t maxQuadsPerCall = size_t(1) << 26;
    for (unsigned f = 0; f < 6; ++f) {
        const FaceMesh::Direction &d = mesh.direction(f);
        if (d.runs.empty())
            continue;
        // Faces turned away from a far eye would be culled anyway: skip them here.
        const float *n = Geometry::FaceTable::normals[f];
        if (eyeKnown && n[0] * eye[0] + n[1] * eye[1] + n[2] * eye[2] <= 0.0)
            continue;
        glNormal3fv(n);
        if (compact)
            glVertexPointer(3, GL_SHORT, 0, d.compactPositions.data());
        else
            glVertexPointer(3, GL_FLOAT, 0, d.positions.data());
        for (const FaceMesh::Run &run : d.runs) {
            glColor4ubv(palette.colorBytes(run.slot).data());
            for (size_t done = 0; done < run.count; done += maxQuadsPerCall) {
                const size_t quads = std::min(maxQuadsPerCall, run.count - done);
                glDrawArrays(GL_QUADS, GLint((run.first + done) * 4), GLsizei(quads * 4));
            }
        }
    }
    if (compact) {
        glPopMatrix();
        glPopAttrib();
    }
}

void drawMarchingCubes(Automaton::MarchingCubeSurface &surface, const Automaton::FacePalette::ColorMap &colors,
                       bool selected)
{
    surface.withColoredTriangles(colors, selected, [](const auto &chunks, const auto &colorBytes) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        // A few hundred thousand vertices a call keeps every driver within its limits.
        constexpr size_t trianglesPerCall = 65536;
        for (size_t c = 0; c < chunks.size(); ++c) {
            const std::vector<Automaton::Triangle> &chunk = chunks[c];
            for (size_t first = 0; first < chunk.size(); first += trianglesPerCall) {
                const size_t count = std::min(trianglesPerCall, chunk.size() - first);
                const Automaton::Triangle::Vertex *v = &chunk[first].vertices[0];
                glVertexPointer(3, GL_FLOAT, sizeof(Automaton::Triangle::Vertex), v->position);
                glNormalPointer(GL_FLOAT, sizeof(Automaton::Triangle::Vertex), v->normal);
                glColorPointer(4, GL_UNSIGNED_BYTE, 0, colorBytes[c].data() + first * 12);
                glDrawArrays(GL_TRIANGLES, 0, GLsizei(count * 3));
            }
        }
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
    });
}

void drawOctree(const Automaton::OctreeSurface &surface, bool showEdges)
{
    surface.withFaces([showEdges](const Automaton::OctreeSurface::Faces &faces) {
        glEnableClientState(GL_COLOR_ARRAY);
        {
            FaceBatch batch(faces.cellSize, true);
            for (const NodeFace &face : faces.opaque)
                batch.add(face, faces.palette.colorBytes(face.slot()).data());
        }
        if (showEdges) {
            FaceBatch batch(faces.cellSize, false);
            EdgeLines lines;
            for (const auto *list : {&faces.opaque, &faces.transparent}) {
                for (const NodeFace &face : *list)
                    batch.add(face, faces.palette.colorBytes(face.slot()).data());
            }
            batch.flush();
        }
        if (!faces.transparent.empty()) {
            glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_LIGHTING_BIT);
            glEnable(GL_BLEND);
            glDepthMask(GL_FALSE);
            const GLfloat specular[4] = {1, 1, 1, 1};
            glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
            {
                FaceBatch batch(faces.cellSize, true);
                for (const NodeFace &face : faces.transparent)
                    batch.add(face, faces.palette.colorBytes(face.slot()).data());
            }
            glPopAttrib();
        }
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
    });
}

void drawField(const Automaton::FieldPainter &field, bool showEdges, const Util::Vector3D &localEye)
{
    field.withFaces([&](const Automaton::FieldPainter::Faces &faces) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        const double eye[3] = {localEye.x, localEye.y, localEye.z};
        const bool eyeKnown = localEye.x != 0.0 || localEye.y != 0.0 || localEye.z != 0.0;
        drawFaceMesh(faces.mesh, faces.palette, eye, eyeKnown, faces.cellSize);

        if (showEdges) {
            FaceBatch batch(faces.cellSize, false);
            EdgeLines lines;
            glEnableClientState(GL_COLOR_ARRAY);
            for (const auto *list : {&faces.opaque, &faces.transparent})
                for (const CellFace &face : *list)
                    batch.add(face, faces.palette.colorBytes(face.slot()).data());
            batch.flush();
            glDisableClientState(GL_COLOR_ARRAY);
        }

        if (!faces.transparent.empty()) {
            // No depth sorting for this view: its transparent faces go in list order.
            glEnable(GL_BLEND);
            glDepthMask(GL_FALSE);
            const GLfloat specular[4] = {1, 1, 1, 1};
            glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
            glEnableClientState(GL_COLOR_ARRAY);
            {
                FaceBatch batch(faces.cellSize, true);
                for (const CellFace &face : faces.transparent)
                    batch.add(face, faces.palette.colorBytes(face.slot()).data());
            }
            glDepthMask(GL_TRUE);
        }
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
    });
}

} // namespace Display
} // namespace Model
