#pragma once

#include "imodelrule.h"
#include "rectangularcuboidenvelope.h"

#include <vector>

namespace Model {
namespace ModelExtraction {

/// Finds cantilever beams: a beam ends in a free tip, a box that is not silicon, touches exactly one
/// other box, and has nothing below or above it. From the tip the beam runs towards that one
/// neighbour through boxes of the tip's material that each touch exactly two boxes, one of them
/// further along; the beam is the bounding box of the tip and those boxes.
class CantileverModelRule : public IModelRule {
public:
    /// The material identifier that counts as silicon (the anchor, never a beam).
    static constexpr uint32_t siliconMaterial = 1;

    /// A `CantileverStructure` with one beam per tip, in the order of the model's boxes, or null when
    /// there is no tip.
    StructurePtr apply(const ExtractedModel &model) override;

    const std::vector<RectangularCuboidEnvelope *> &siliconEnvelopes() const { return m_silicon; }
    const std::vector<RectangularCuboidEnvelope *> &candidateTips() const { return m_tips; }
    size_t candidateTipCount() const { return m_tips.size(); }

    /// The beam that ends in `tip`, as a new box of the tip's material.
    static EnvelopePtr beamFromTip(const RectangularCuboidEnvelope &tip);

private:
    std::vector<RectangularCuboidEnvelope *> m_silicon;
    std::vector<RectangularCuboidEnvelope *> m_tips;
};

} // namespace ModelExtraction
} // namespace Model
