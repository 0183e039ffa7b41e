#include "randomwalkdopingoperation.h"

#include "Core/workspace.h"
#include "Model/Automaton/particlecounts.h"
#include "randomwalkdoping.h"

namespace Core {
namespace Operations {

RandomWalkDopingOperation::RandomWalkDopingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Random Walk Doping"), 36, QStringLiteral("RandomWalkDoping"))
{
}

void RandomWalkDopingOperation::setInput(const RandomWalkDopingInput &input)
{
    setDopingTime(input.dopingTime());
    setDopingMaterial(input.material);
    setDiffusionCoefficient(input.diffusionCoefficient());
    setCellSize(input.cellSize());
    setTimeStep(input.timeStep());
    setDopantConcentration(input.dopantConcentration());
    setThresholdConcentration(input.thresholdConcentration());
}

QStringList RandomWalkDopingOperation::missingParameters() const
{
    QStringList missing;
    const std::pair<bool, const char *> given[] = {{m_time.isSet(), "Doping Time"},
                                                   {m_material.isSet(), "Doping Material"},
                                                   {m_diffusion.isSet(), "Diffusion Coefficient"},
                                                   {m_cellSize.isSet(), "Cell Size"},
                                                   {m_timeStep.isSet(), "Time Step Duration"},
                                                   {m_concentration.isSet(), "Dopant concentration"},
                                                   {m_threshold.isSet(), "Threshold"}};
    for (const auto &entry : given) {
        if (!entry.first)
            missing << QLatin1String(entry.second);
    }
    return missing;
}

void RandomWalkDopingOperation::cancel()
{
    workspace().console().writeMessage(name() + QStringLiteral(": Operation Canceled!"));
    workspace().console().reset();
    workspace().operationCanceled();
}

void RandomWalkDopingOperation::execute()
{
    // A step given some of its values but not all would otherwise end without a word.
    const QStringList missing = missingParameters();
    if (volume() && !missing.isEmpty() && missing.size() < 7)
        workspace().console().writeMessage(name() + QStringLiteral(": No value was given for ") +
                                           missing.join(QStringLiteral(", ")) + QLatin1Char('.'));
    UndoableProcessOperation::execute();
}

ProcessSnapshot::Scope RandomWalkDopingOperation::snapshotScope() const
{
    ProcessSnapshot::Scope scope = UndoableProcessOperation::snapshotScope();
    scope.counterFields << Model::Automaton::ParticleCounts::fieldNameFor(dopingMaterial());
    return scope;
}

void RandomWalkDopingOperation::run(Model::Automaton::TotalVolume &volume)
{
    RandomWalkDoping engine(volume, dopingMaterial(), diffusionCoefficient(), timeStep(), cellSize(),
                            dopantConcentration(), thresholdConcentration());
    if (m_seed)
        engine.setSeed(*m_seed);
    engine.setRunControl(runControl());
    engine.dope(dopingTime());
}

} // namespace Operations
} // namespace Core
