#pragma once

#include "processoption.h"
#include "randomwalkdopinginput.h"

#include <QStringList>

#include <optional>

namespace Core {
namespace Operations {

/// "Random Walk Doping": diffuses dopant from the surface into the dopable cells of the selected
/// volume (RandomWalkDoping). Its parameters are in SI units. Undoing it puts the cell states and
/// the particle counters back (a counter field the run made goes again).
class RandomWalkDopingOperation : public UndoableProcessOperation {
public:
    explicit RandomWalkDopingOperation(Workspace &workspace);

    void setDopingMaterial(uint32_t material) { m_material.set(material); }
    void setDiffusionCoefficient(double squareMetresPerSecond) { m_diffusion.set(squareMetresPerSecond); }
    void setThresholdConcentration(double perCubicMetre) { m_threshold.set(perCubicMetre); }
    void setDopantConcentration(double perCubicMetre) { m_concentration.set(perCubicMetre); }
    void setDopingTime(double seconds) { m_time.set(seconds); }
    void setCellSize(double metres) { m_cellSize.set(metres); }
    void setTimeStep(double seconds) { m_timeStep.set(seconds); }
    /// All seven from the dialog's values, converted to SI units.
    void setInput(const RandomWalkDopingInput &input);
    /// A fixed seed makes the run repeatable; none seeds from the clock.
    void setSeed(std::optional<uint64_t> seed) { m_seed = seed; }
    std::optional<uint64_t> seed() const { return m_seed; }

    uint32_t dopingMaterial() const { return m_material.value(); }
    double diffusionCoefficient() const { return m_diffusion.value(); }
    double thresholdConcentration() const { return m_threshold.value(); }
    double dopantConcentration() const { return m_concentration.value(); }
    double dopingTime() const { return m_time.value(); }
    double cellSize() const { return m_cellSize.value(); }
    double timeStep() const { return m_timeStep.value(); }

    /// The names of the parameters not given yet, in the dialog's order.
    QStringList missingParameters() const;

    void cancel() override;
    void execute() override;

protected:
    bool hasOptions() const override { return missingParameters().isEmpty(); }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return true; }
    bool changesAtomCounts() const override { return true; }
    ProcessSnapshot::Scope snapshotScope() const override;

private:
    ProcessOption<uint32_t> m_material;
    ProcessOption<double> m_diffusion;
    ProcessOption<double> m_threshold;
    ProcessOption<double> m_concentration;
    ProcessOption<double> m_time;
    ProcessOption<double> m_cellSize;
    ProcessOption<double> m_timeStep;
    std::optional<uint64_t> m_seed;
};

} // namespace Operations
} // namespace Core
