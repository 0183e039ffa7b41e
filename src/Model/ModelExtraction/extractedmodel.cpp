#include "extractedmodel.h"

namespace Model {
namespace ModelExtraction {

namespace {

// Corner numbers of each face (bit 0: high x, bit 1: high y, bit 2: high z), counter-clockwise seen
// from outside, so that back faces can be culled; faces in the order -x, +x, -y, +y, -z, +z.
const unsigned faceCorners[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
const float faceNormals[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};

const float palette[ExtractedModel::paletteSize][3] = {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 0},
                                                       {0, 1, 1}, {1, 0, 1}, {0, 0, 1}, {0.5f, 0, 0}};

} // namespace

ExtractedModel::ExtractedModel(const std::vector<EnvelopePtr> &envelopes, const Util::Vector3D &cellSize)
    : m_envelopes(envelopes)
    , m_cellSize(cellSize)
{
}

std::array<float, 3> ExtractedModel::paletteColor(unsigned index)
{
    const float *c = palette[index % paletteSize];
    return {c[0], c[1], c[2]};
}

std::array<Util::Vector3D, 2> ExtractedModel::corners(const RectangularCuboidEnvelope &e) const
{
    return {Util::Vector3D(e.x0 * m_cellSize.x, e.y0 * m_cellSize.y, e.z0 * m_cellSize.z),
            Util::Vector3D((double(e.x0) + e.sx) * m_cellSize.x, (double(e.y0) + e.sy) * m_cellSize.y,
                           (double(e.z0) + e.sz) * m_cellSize.z)};
}

void ExtractedModel::buildArrays()
{
    m_vertices.clear();
    m_normals.clear();
    m_vertices.reserve(m_envelopes.size() * 6 * 4 * 3);
    m_normals.reserve(m_envelopes.size() * 6 * 4 * 3);
    for (const auto &envelope : m_envelopes) {
        const auto c = corners(*envelope);
        for (unsigned f = 0; f < 6; ++f) {
            for (unsigned corner : faceCorners[f]) {
                m_vertices.push_back(static_cast<float>((corner & 1) ? c[1].x : c[0].x));
                m_vertices.push_back(static_cast<float>((corner & 2) ? c[1].y : c[0].y));
                m_vertices.push_back(static_cast<float>((corner & 4) ? c[1].z : c[0].z));
                m_normals.insert(m_normals.end(), faceNormals[f], faceNormals[f] + 3);
            }
        }
    }
    m_arraysBuilt = true;
}

const std::vector<float> &ExtractedModel::boxVertices()
{
    if (!m_arraysBuilt)
        buildArrays();
    return m_vertices;
}

const std::vector<float> &ExtractedModel::boxNormals()
{
    if (!m_arraysBuilt)
        buildArrays();
    return m_normals;
}

ObjectPtr ExtractedModel::clone() const
{
    auto copy = std::make_shared<ExtractedModel>(m_envelopes, m_cellSize);
    copy->m_position = m_position;
    copy->m_colorIndex = m_colorIndex;
    return copy;
}

void ExtractedModel::translate(const Util::Vector4D &offset)
{
    m_position = Util::Vector3D(m_position.x + offset.x, m_position.y + offset.y, m_position.z + offset.z);
}

} // namespace ModelExtraction
} // namespace Model
