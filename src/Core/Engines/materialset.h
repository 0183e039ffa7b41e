#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

/// The materials a process may act on (the compatible materials of a catalogue process), with a
/// membership test cheap enough to ask for every cell an engine visits.
class MaterialSet {
public:
    MaterialSet() = default;
    explicit MaterialSet(const std::vector<uint32_t> &materials);

    /// The materials the process catalogue lists as compatible with the process.
    static MaterialSet compatibleWith(uint32_t processId);

    bool contains(uint32_t material) const
    {
        if (material < 64)
            return (m_small >> material) & 1;
        for (uint32_t m : m_large)
            if (m == material)
                return true;
        return false;
    }
    bool isEmpty() const { return m_materials.empty(); }
    /// In ascending order, each once.
    const std::vector<uint32_t> &materials() const { return m_materials; }

private:
    uint64_t m_small = 0;
    std::vector<uint32_t> m_large;
    std::vector<uint32_t> m_materials;
};

/// Why a step changed nothing: "No material can be <verb>: the process "<process name>" has no
/// compatible materials (Materials > Manage Compatible Materials)."
QString noCompatibleMaterialsText(uint32_t processId, const QString &verb);

} // namespace Operations
} // namespace Core
