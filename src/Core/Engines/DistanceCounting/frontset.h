#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

/// The cells waiting for the next iteration of one slice: one bit per cell of the slice and the
/// range of words touched, so a cell entered twice is kept once and the cells come out in
/// ascending index order without sorting.
class FrontSet {
public:
    FrontSet() = default;
    /// Covers the cell indices [first, first + count).
    void reset(uint64_t first, uint64_t count)
    {
        m_first = first;
        m_bits.assign((count + 63) / 64, 0);
        m_low = m_bits.size();
        m_high = 0;
    }

    void insert(uint32_t index)
    {
        const uint64_t bit = index - m_first;
        const size_t word = static_cast<size_t>(bit >> 6);
        m_bits[word] |= uint64_t(1) << (bit & 63);
        if (word < m_low)
            m_low = word;
        if (word >= m_high)
            m_high = word + 1;
    }

    /// Fetches the word of a cell that is about to be inserted (cells outside the set are ignored).
    void prefetch(uint64_t index) const
    {
        const uint64_t bit = index - m_first;
        if (bit < uint64_t(m_bits.size()) * 64)
            __builtin_prefetch(m_bits.data() + (bit >> 6), 1);
    }

    bool contains(uint32_t index) const
    {
        const uint64_t bit = index - m_first;
        return (m_bits[static_cast<size_t>(bit >> 6)] >> (bit & 63)) & 1;
    }

    bool isEmpty() const { return m_low >= m_high; }

    /// Moves the members, ascending, into `out` (replacing its contents) and empties the set.
    void takeSorted(std::vector<uint32_t> &out)
    {
        out.clear();
        for (size_t word = m_low; word < m_high; ++word) {
            uint64_t bits = m_bits[word];
            if (!bits)
                continue;
            m_bits[word] = 0;
            const uint64_t base = m_first + uint64_t(word) * 64;
            while (bits) {
                out.push_back(static_cast<uint32_t>(base + static_cast<unsigned>(__builtin_ctzll(bits))));
                bits &= bits - 1;
            }
        }
        m_low = m_bits.size();
        m_high = 0;
    }

private:
    std::vector<uint64_t> m_bits;
    uint64_t m_first = 0;
    size_t m_low = 0;
    size_t m_high = 0;
};

} // namespace Operations
} // namespace Core
