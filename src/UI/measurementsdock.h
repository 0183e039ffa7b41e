#pragma once

#include "Core/Processes/measureprocess.h"

#include <QDockWidget>

class QDoubleSpinBox;
class QTableWidget;

namespace Core {
class Workspace;
}

namespace Ui {

/// Tools > Measurements: named measurements of the document's first cell volume, the kinds of the
/// "Measure" step with the same parameters and the same messages, each value re-evaluated whenever
/// the scene changes (after every step, undo and redo) and when its parameters are edited. Values
/// are in cells (degrees for an angle), or in µm (µm³) when "µm per cell" is set.
class MeasurementsDock : public QDockWidget {
    Q_OBJECT
public:
    enum Column { Name, Kind, Material, X, Y, Z, Axis, Z1, Z2, Value, Unit, Columns };

    MeasurementsDock(Core::Workspace &workspace, QWidget *parent = nullptr);

    /// A new row with these parameters; its index.
    int addMeasurement(const Core::Processes::MeasureParameters &params);
    void removeMeasurement(int row);
    int count() const;
    /// The row's value as shown (or what keeps it from being taken), and its unit.
    QString valueText(int row) const;
    QString unitText(int row) const;
    void setMicrometresPerCell(double um);

public slots:
    /// Measures every row again.
    void refresh();

private:
    Core::Processes::MeasureParameters parameters(int row) const;
    void evaluate(int row);

    Core::Workspace &m_workspace;
    QTableWidget *m_table = nullptr;
    QDoubleSpinBox *m_micrometres = nullptr;
    bool m_filling = false; ///< rows being written by the program, not edited
};

} // namespace Ui
