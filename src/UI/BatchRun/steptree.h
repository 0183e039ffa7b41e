#pragma once

#include "Core/Processes/processstep.h"

#include <QList>
#include <QTreeWidget>

#include <cstdint>
#include <optional>

namespace Ui {

/// The steps of a process list as the Batch Run dialog shows them: a row per step (its number and
/// process) with a child row per shown parameter (its value, and a swatch for a material's
/// colour). Rows know their step by its serial number.
class StepTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit StepTree(QWidget *parent = nullptr);

    /// Shows these steps, each row expanded as its step says.
    void showSteps(const QList<Core::Processes::ProcessStep> &steps);
    /// The serial number of the step of a step's row; nothing for a parameter's row.
    static std::optional<uint32_t> serialOf(const QTreeWidgetItem *item);
    /// The serial number of the step of a row: the row's own, or its step's for a parameter's row.
    static uint32_t stepSerialOf(const QTreeWidgetItem *item);
    /// The step of the first selected row; nothing when no row is selected.
    std::optional<uint32_t> firstSelectedSerial() const;
    /// The steps of the selected step rows.
    QList<uint32_t> selectedStepSerials() const;
};

} // namespace Ui
