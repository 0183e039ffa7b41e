#pragma once

namespace Model {
namespace ModelExtraction {
class ExtractedModel;
}

namespace Display {

/// Draws the boxes of a model extraction: closed boxes in the model's colour (highlighted when
/// selected) with their outlines, and the boxes alone for picking. Needs a current GL context.
class ExtractedModelPainter {
public:
    explicit ExtractedModelPainter(ModelExtraction::ExtractedModel &model)
        : m_model(model)
    {
    }

    /// Translated by the model's position (and its offset while it moves); the faces only when
    /// `showSurface`, the outlines always.
    void draw(bool showSurface);
    void drawForPicking();

private:
    void drawBoxes(bool withNormals);

    ModelExtraction::ExtractedModel &m_model;
};

} // namespace Display
} // namespace Model
