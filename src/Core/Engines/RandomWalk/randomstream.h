#pragma once

#include <cmath>
#include <cstdint>

namespace Core {
namespace Operations {

/// A small, fast pseudo-random stream (xoshiro256**, seeded through SplitMix64) with uniform and
/// normal draws. Streams are cheap to make, so parallel work takes one per fixed piece of work,
/// keyed by (seed, step, piece): the draws then do not depend on which thread runs the piece.
class RandomStream {
public:
    RandomStream(uint64_t seed, uint64_t step, uint64_t piece)
    {
        uint64_t key = mix(mix(mix(seed) ^ step) ^ piece);
        for (uint64_t &word : m_state)
            word = splitMix(key);
    }

    uint64_t next()
    {
        const uint64_t result = rotate(m_state[1] * 5, 7) * 9;
        const uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = rotate(m_state[3], 45);
        return result;
    }
    /// 0 .. 4294967295.
    uint32_t next32() { return static_cast<uint32_t>(next() >> 32); }
    /// In [0, 1), 53 bits.
    double uniform() { return double(next() >> 11) * 0x1.0p-53; }

    /// Standard normal, Marsaglia's polar method: one logarithm for two draws.
    double normal()
    {
        if (m_hasSpare) {
            m_hasSpare = false;
            return m_spare;
        }
        double u;
        double v;
        double s;
        do {
            u = 2.0 * uniform() - 1.0;
            v = 2.0 * uniform() - 1.0;
            s = u * u + v * v;
        } while (s >= 1.0 || s == 0.0);
        const double f = std::sqrt(-2.0 * std::log(s) / s);
        m_spare = v * f;
        m_hasSpare = true;
        return u * f;
    }

    /// SplitMix64's finaliser: spreads any input over all 64 bits.
    static uint64_t mix(uint64_t z)
    {
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }

private:
    static uint64_t rotate(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    static uint64_t splitMix(uint64_t &state) { return mix(state += 0x9e3779b97f4a7c15ull); }

    uint64_t m_state[4];
    double m_spare = 0.0;
    bool m_hasSpare = false;
};

} // namespace Operations
} // namespace Core
