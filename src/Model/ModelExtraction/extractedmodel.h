#pragma once

#include "Model/object.h"
#include "rectangularcuboidenvelope.h"

#include <array>
#include <vector>

namespace Model {
namespace ModelExtraction {

/// The boxes of a model extraction as a scene object (type 2): each box is drawn (by the display)
/// as a closed box in the model's colour with its outline. Shown while the extraction dialog is
/// open; never stored in documents.
class ExtractedModel : public Object {
public:
    /// `cellSize` is the edge of one cell along x, y and z in scene units (the volume's cell sizes),
    /// so that the boxes cover the cells they stand for.
    explicit ExtractedModel(const std::vector<EnvelopePtr> &envelopes,
                            const Util::Vector3D &cellSize = Util::Vector3D(1.0, 1.0, 1.0));

    /// The colours the colour index chooses from, red, green, blue.
    static constexpr unsigned paletteSize = 8;
    static std::array<float, 3> paletteColor(unsigned index);

    uint32_t type() const override { return 2; }
    ObjectPtr clone() const override;
    void translate(const Util::Vector4D &offset) override;

    const std::vector<EnvelopePtr> &envelopes() const { return m_envelopes; }
    Util::Vector3D position() const { return m_position; }
    void setPosition(const Util::Vector3D &position) { m_position = position; }
    Util::Vector3D cellSize() const { return m_cellSize; }
    unsigned colorIndex() const { return m_colorIndex; }
    void setColorIndex(unsigned index) { m_colorIndex = index % paletteSize; }

    /// The corners of a box in the model's own coordinates (before the position), lowest then highest.
    std::array<Util::Vector3D, 2> corners(const RectangularCuboidEnvelope &envelope) const;

    /// The quads of every box (four corners of x, y, z each, in the model's own coordinates,
    /// counter-clockwise from outside) and one normal per corner, made at the first call.
    const std::vector<float> &boxVertices();
    const std::vector<float> &boxNormals();

private:
    void buildArrays();

    std::vector<EnvelopePtr> m_envelopes;
    Util::Vector3D m_cellSize;
    Util::Vector3D m_position;
    unsigned m_colorIndex = 0;
    // Quads of every box (four corners each) and their normals, made at the first use.
    std::vector<float> m_vertices;
    std::vector<float> m_normals;
    bool m_arraysBuilt = false;
};

using ExtractedModelPtr = std::shared_ptr<ExtractedModel>;

} // namespace ModelExtraction
} // namespace Model
