#pragma once

#include "Core/Processes/processstep.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QRadioButton;

namespace UtilDialog {

/// Asks where a step of a process list should go: before or after which other step.
class MoveTo : public QDialog {
    Q_OBJECT
public:
    /// Lists every step of `steps` except the one with serial number `moving`.
    MoveTo(const QList<Core::Processes::ProcessStep> &steps, uint32_t moving, QWidget *parent = nullptr);

    /// Serial number of the chosen step.
    uint32_t chosenSerialNumber() const;
    bool before() const;

private:
    QComboBox *m_cbxStep;
    QRadioButton *m_radAfter;
    QRadioButton *m_radBefore;
};

} // namespace UtilDialog
