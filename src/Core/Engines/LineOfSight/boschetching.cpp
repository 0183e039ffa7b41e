#include "Core/Engines/LineOfSight/boschetching.h"

#include "Core/Engines/LineOfSight/lineofsighttransport.h"
#include "Core/Engines/LineOfSight/passivationdeposition.h"
#include "Core/Engines/RandomWalk/randomstream.h"
#include "Model/Volume/totalvolume.h"
#include "Util/runstage.h"

#include <chrono>
#include <cmath>
#include <stdexcept>

namespace Core {
namespace Operations {

namespace {

QString number(double value) { return QString::number(value, 'g', 6); }

// The phases of a cycle, as the streams' keys and the progress count them.
enum Phase : uint64_t { Passivation, Ions, Radicals, PhasesPerCycle };

} // namespace

BoschEtching::BoschEtching(Model::Automaton::TotalVolume &volume, const Settings &settings)
    : m_volume(volume)
    , m_settings(settings)
    , m_seed(uint64_t(std::chrono::system_clock::now().time_since_epoch().count()))
{
    const QString problem = checkSettings(settings);
    if (!problem.isEmpty())
        throw std::invalid_argument(problem.toStdString());
}

QString BoschEtching::checkSettings(const Settings &settings)
{
    if (settings.cycles < 1 || settings.cycles > largestCycleCount)
        return QStringLiteral("Cycles must be from 1 to %1, not %2.").arg(largestCycleCount).arg(settings.cycles);
    if (!std::isfinite(settings.etchPerCycle) || settings.etchPerCycle < 0.0 || settings.etchPerCycle > largestAmount)
        return QStringLiteral("Etch Per Cycle must be from 0 to %1 cells, not %2.")
            .arg(number(largestAmount), number(settings.etchPerCycle));
    if (!std::isfinite(settings.passivationThickness) || settings.passivationThickness < 0.0 ||
        settings.passivationThickness > largestAmount)
        return QStringLiteral("Passivation Thickness must be from 0 to %1 cells, not %2.")
            .arg(number(largestAmount), number(settings.passivationThickness));
    if (!std::isfinite(settings.reactionProbability) || settings.reactionProbability <= 0.0 ||
        settings.reactionProbability > 1.0)
        return QStringLiteral("Reaction Probability must be greater than 0 and at most 1, not %1.")
            .arg(number(settings.reactionProbability));
    if (settings.material == 0 || settings.material > Model::Automaton::Cells::maximumState)
        return QStringLiteral("Material must be a material of the catalogue, not %1.").arg(settings.material);
    if (settings.passivationMaterial == 0 || settings.passivationMaterial > Model::Automaton::Cells::maximumState)
        return QStringLiteral("Passivation Material must be a material of the catalogue, not %1.")
            .arg(settings.passivationMaterial);
    if (settings.passivationMaterial == settings.material)
        return QStringLiteral("Passivation Material must differ from the etched Material.");
    return QString();
}

template <class Engine> bool BoschEtching::runPhase(Engine &engine)
{
    if (!m_control) {
        engine.run();
        return true;
    }
    // The phase's own progress would restart the step's at every phase: it reports to a control
    // of its own, whose boundaries are the step's boundaries (a stop asked of the step stops it).
    Util::RunControl phase;
    Util::RunControl *step = m_control;
    phase.setBoundaryCallback([step](Util::RunControl &own) {
        if (step->stopHere())
            own.requestStop();
    });
    engine.setRunControl(&phase);
    engine.run();
    return !step->wasStopped();
}

void BoschEtching::run()
{
    const uint64_t phases = uint64_t(m_settings.cycles) * PhasesPerCycle + 1;
    Util::RunStage stage(m_control, phases);
    for (uint32_t cycle = 0; cycle < m_settings.cycles; ++cycle) {
        const auto streamSeed = [this, cycle](Phase phase) {
            return RandomStream::mix(RandomStream::mix(m_seed ^ (uint64_t(cycle) * PhasesPerCycle + phase)));
        };
        if (stage.stopHere())
            return;
        if (m_settings.passivationThickness > 0.0) {
            PassivationDeposition film(m_volume, m_settings.passivationMaterial,
                                       static_cast<float>(m_settings.passivationThickness));
            if (!runPhase(film))
                return;
        }
        stage.advance();
        if (stage.stopHere())
            return;
        // Ions fall almost straight down and take away the film where they land: from the
        // surfaces that face up. Every ion reacts (p = 1), none is scattered onto the walls.
        if (m_settings.passivationThickness > 0.0) {
            LineOfSightTransport ions(m_volume, {LineOfSightTransport::Mode::Etching, m_settings.passivationMaterial,
                                                 m_settings.passivationThickness, 1.0, ionExponent});
            ions.setSeed(streamSeed(Ions));
            ions.setRaysPerCell(m_raysPerCell);
            if (!runPhase(ions))
                return;
        }
        stage.advance();
        if (stage.stopHere())
            return;
        // Radicals come from the whole half-space above (cosine source) and etch where they
        // react; the film and the masks send them back.
        LineOfSightTransport radicals(m_volume, {LineOfSightTransport::Mode::Etching, m_settings.material,
                                                 m_settings.etchPerCycle, m_settings.reactionProbability, 1.0});
        radicals.setSeed(streamSeed(Radicals));
        radicals.setRaysPerCell(m_raysPerCell);
        if (!runPhase(radicals))
            return;
        stage.advance();
    }
    if (stage.stopHere())
        return;
    if (m_settings.stripPassivation)
        strip();
    stage.finish();
}

void BoschEtching::strip()
{
    Model::Automaton::CellLock lock(m_volume);
    Model::Automaton::Cells cells = lock.cells();
    const uint32_t film = m_settings.passivationMaterial;
    for (size_t i = 0; i < cells.count(); ++i)
        if (cells.state(i) == film)
            cells.setState(i, 0);
}

} // namespace Operations
} // namespace Core
