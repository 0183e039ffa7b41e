#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

/// One cell of a cell volume. Kept compact (24 bytes): it is the memory budget of every large run.
class Voxel {
public:
    Voxel() = default;
    /// Sets the material; atom and cut counts become 0. The automata initialise `settled` and the distance.
    explicit Voxel(uint32_t state) : m_state(state) {}

    uint32_t state() const { return m_state; }
    void setState(uint32_t state) { m_state = state; }

    bool isSettled() const { return m_settled != 0; }
    void setSettled(bool settled) { m_settled = settled ? 1 : 0; }

    float distanceX() const { return m_distance[0]; }
    float distanceY() const { return m_distance[1]; }
    float distanceZ() const { return m_distance[2]; }
    void setDistance(float x, float y, float z)
    {
        m_distance[0] = x;
        m_distance[1] = y;
        m_distance[2] = z;
    }
    void setDistanceX(float x) { m_distance[0] = x; }
    void setDistanceY(float y) { m_distance[1] = y; }
    void setDistanceZ(float z) { m_distance[2] = z; }

    uint32_t atomCount() const { return m_atomCount; }
    void setAtomCount(uint32_t n) { m_atomCount = n; }

    /// Cuts hide a cell; the count saturates at 255 and never drops below 0.
    void addCut()
    {
        if (m_cutCount < 255)
            ++m_cutCount;
    }
    void removeCut()
    {
        if (m_cutCount > 0)
            --m_cutCount;
    }
    void clearCuts() { m_cutCount = 0; }
    /// Saturates at 255 like addCut.
    void setCutCount(uint32_t count) { m_cutCount = static_cast<uint8_t>(count < 255 ? count : 255); }
    bool isCut() const { return m_cutCount > 0; }
    uint32_t cutCount() const { return m_cutCount; }

private:
    uint32_t m_state = 0;
    float m_distance[3] = {0.0f, 0.0f, 0.0f};
    uint32_t m_atomCount = 0;
    uint8_t m_settled = 0;
    uint8_t m_cutCount = 0;
};

static_assert(sizeof(Voxel) == 24, "the cell record must stay compact");

} // namespace Automaton
} // namespace Model
