#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

/// One marching-cubes triangle in coordinates relative to its volume. Each vertex carries its
/// (smoothed) normal and the material it was cut from; colours are looked up when drawing.
struct Triangle {
    struct Vertex {
        float position[3];
        float normal[3];
        uint32_t material;
    };
    Vertex vertices[3];
};

static_assert(sizeof(Triangle::Vertex) == 28, "vertices are drawn straight from the list: keep them packed");

} // namespace Automaton
} // namespace Model
