#pragma once

#include "Util/controllable.h"

#include <QString>

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

/// Deep reactive-ion etching by the Bosch process: cycles of a conformal fluorocarbon film, a
/// collimated ion step that clears the film from the surfaces facing up (the bottoms and the tops
/// of the masks) and an isotropic etch of the material by radicals in line of sight; the film left
/// on the walls protects them, so the etch goes down with scalloped, vertical walls. At the end the
/// film is stripped.
///
/// The phases are the existing engines: a film deposition for the film (PassivationDeposition), LineOfSightTransport
/// for the ions (a cos^n beam with n = ionExponent that clears the film where it reacts) and for
/// the radicals (a cosine source whose share p reacts with the material; the rest is re-emitted,
/// so narrow openings, which the radicals reach less well, etch slower). Each transport draws from
/// its own stream keyed by the seed, the cycle and the phase: a seeded run gives the same cells for
/// any thread count.
///
/// The process is the one of F. Laermer and A. Schilp, "Method of anisotropically etching
/// silicon", US patent 5,501,893 (1996): alternating C4F8 passivation and SF6 etching.
class BoschEtching : public Util::Controllable {
public:
    struct Settings {
        uint32_t material = 1;
        uint32_t cycles = 1;
        /// Cells removed from a flat open surface per cycle.
        double etchPerCycle = 1.0;
        /// Cells of passivating film deposited per cycle.
        double passivationThickness = 1.0;
        /// The share of the radicals that react where they meet the material (0 < p <= 1).
        double reactionProbability = 0.1;
        uint32_t passivationMaterial = 0;
        bool stripPassivation = true;
    };

    /// Throws std::invalid_argument with the reason (checkSettings).
    BoschEtching(Model::Automaton::TotalVolume &volume, const Settings &settings);

    /// Why these values cannot run, or an empty text; names the value and its range.
    static QString checkSettings(const Settings &settings);
    static constexpr uint32_t largestCycleCount = 10000;
    static constexpr double largestAmount = 10000.0;
    /// n of the ions' cos^n beam: its half-width is about 1 / sqrt(n) radian (under 2 degrees).
    static constexpr double ionExponent = 1000.0;

    /// Fixes the random streams; without it they are seeded from the clock.
    void setSeed(uint64_t seed) { m_seed = seed; }
    /// Rays per source column for each cell's worth (LineOfSightTransport::setRaysPerCell).
    void setRaysPerCell(uint32_t rays) { m_raysPerCell = rays; }

    /// Runs the cycles, then strips the film; stops between phases, or inside one, when asked.
    /// Progress counts the phases.
    void run();

private:
    /// Runs one phase under a control of its own that passes the step's stop requests on; false
    /// when the step was stopped.
    template <class Engine> bool runPhase(Engine &engine);
    void strip();

    Model::Automaton::TotalVolume &m_volume;
    Settings m_settings;
    uint64_t m_seed;
    uint32_t m_raysPerCell = 64;
};

} // namespace Operations
} // namespace Core
