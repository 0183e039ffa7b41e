#pragma once

#include "Model/Display/gl.h"

namespace Model {
namespace Automaton {

/// While it lives, polygons are drawn as unlit one-pixel outlines pulled towards the viewer, so
/// that they lie on the faces they outline. Puts the GL state back as it was when it ends (the
/// client arrays are the caller's). Needs a current GL context.
class EdgeLines {
public:
    EdgeLines()
    {
        glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_LINE_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glEnable(GL_POLYGON_OFFSET_LINE);
        glPolygonOffset(-1.0f, -1.0f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glLineWidth(1.0f);
    }
    ~EdgeLines() { glPopAttrib(); }
    EdgeLines(const EdgeLines &) = delete;
    EdgeLines &operator=(const EdgeLines &) = delete;
};

} // namespace Automaton
} // namespace Model
