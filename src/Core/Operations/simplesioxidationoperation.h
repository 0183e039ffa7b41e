#pragma once

#include "processoption.h"

namespace Core {
namespace Operations {

/// Thermal oxidation of silicon, to a thickness or for a time at a temperature and pressure.
class SimpleSiOxidationOperation : public UndoableProcessOperation {
public:
    explicit SimpleSiOxidationOperation(Workspace &workspace);

    /// Microns.
    void setThickness(double microns) { m_thickness.set(microns); }
    /// Hours.
    void setTime(double hours) { m_time.set(hours); }
    /// Kelvin and atmospheres; used with the time.
    void setTemperature(double kelvin) { m_temperature = kelvin; }
    void setPressure(double atmospheres) { m_pressure = atmospheres; }
    /// Cell units per micron; 1 when never set.
    void setConversion(double unitsPerMicron) { m_conversion.set(unitsPerMicron); }

    double thickness() const { return m_thickness.value(); }
    double time() const { return m_time.value(); }
    double temperature() const { return m_temperature; }
    double pressure() const { return m_pressure; }
    double conversion() const { return m_conversion.isSet() ? m_conversion.value() : 1.0; }
    /// True when the oxide is given by its thickness (which wins when both were set).
    bool byThickness() const { return m_thickness.isSet(); }

    /// With nothing that can be oxidized, says so and cancels instead of running.
    void execute() override;

protected:
    bool hasOptions() const override { return m_thickness.isSet() || m_time.isSet(); }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return true; }

private:
    ProcessOption<double> m_thickness;
    ProcessOption<double> m_time;
    double m_temperature = 1273.0;
    double m_pressure = 1.0;
    ProcessOption<double> m_conversion;
};

} // namespace Operations
} // namespace Core
