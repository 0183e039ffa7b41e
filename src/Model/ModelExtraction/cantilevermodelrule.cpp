#include "cantilevermodelrule.h"

#include "cantileverstructure.h"
#include "extractedmodel.h"

#include <algorithm>

namespace Model {
namespace ModelExtraction {

StructurePtr CantileverModelRule::apply(const ExtractedModel &model)
{
    m_silicon.clear();
    m_tips.clear();
    for (const auto &e : model.envelopes()) {
        if (e->material == siliconMaterial) {
            m_silicon.push_back(e.get());
            continue;
        }
        if (e->neighbourCount() == 1 && !e->neighbour(4) && !e->neighbour(5))
            m_tips.push_back(e.get());
    }
    if (m_tips.empty())
        return nullptr;
    std::vector<EnvelopePtr> beams;
    beams.reserve(m_tips.size());
    for (const RectangularCuboidEnvelope *tip : m_tips)
        beams.push_back(beamFromTip(*tip));
    return std::make_shared<CantileverStructure>(beams, model.cellSize());
}

EnvelopePtr CantileverModelRule::beamFromTip(const RectangularCuboidEnvelope &tip)
{
    // The beam runs from the free end towards the one box the tip touches.
    unsigned direction = 3;
    for (unsigned face = 0; face < 3; ++face) {
        if (tip.neighbour(face)) {
            direction = face;
            break;
        }
    }
    uint64_t low[3] = {tip.x0, tip.y0, tip.z0};
    uint64_t high[3] = {uint64_t(tip.x0) + tip.sx, uint64_t(tip.y0) + tip.sy, uint64_t(tip.z0) + tip.sz};
    for (const RectangularCuboidEnvelope *e = tip.neighbour(direction);
         e && e->material == tip.material && e->neighbourCount() == 2 && e->neighbour(direction);
         e = e->neighbour(direction)) {
        const uint64_t eLow[3] = {e->x0, e->y0, e->z0};
        const uint64_t eHigh[3] = {uint64_t(e->x0) + e->sx, uint64_t(e->y0) + e->sy, uint64_t(e->z0) + e->sz};
        for (unsigned a = 0; a < 3; ++a) {
            low[a] = std::min(low[a], eLow[a]);
            high[a] = std::max(high[a], eHigh[a]);
        }
    }
    return std::make_shared<RectangularCuboidEnvelope>(uint32_t(low[0]), uint32_t(low[1]), uint32_t(low[2]),
                                                       uint32_t(high[0] - low[0]), uint32_t(high[1] - low[1]),
                                                       uint32_t(high[2] - low[2]), tip.material);
}

} // namespace ModelExtraction
} // namespace Model
