#pragma once

#include <QDialog>

#include <memory>

class QDoubleSpinBox;
class QPushButton;

namespace Core {
namespace Operations {
class RunModelExtraction;
}
} // namespace Core

namespace Ui {
namespace Operations {

/// The three steps of a model extraction, enabled in turn: preprocessing, feature detection and
/// saving the netlist, with the length of a cell edge the netlist's values use. Not modal: the view
/// stays usable while the boxes are shown. Closing it finishes the extraction.
class ExtractModelDialog : public QDialog {
    Q_OBJECT
public:
    ExtractModelDialog(const std::weak_ptr<Core::Operations::RunModelExtraction> &operation, QWidget *parent = nullptr);

    QPushButton *stepOneButton() const { return m_btnRunStepOne; }
    QPushButton *stepTwoButton() const { return m_btnRunStepTwo; }
    QPushButton *stepThreeButton() const { return m_btnRunStepThree; }
    QDoubleSpinBox *cellEdgeSpinBox() const { return m_dbxCellEdge; }

    /// Closes the dialog without finishing the operation again (it has already ended).
    void dismiss();

public slots:
    void runStepOneClicked();
    void runStepTwoClicked();
    void runStepThreeClicked();

private slots:
    void cellEdgeChanged(double micrometres);
    void closed();

private:
    std::weak_ptr<Core::Operations::RunModelExtraction> m_operation;
    QPushButton *m_btnRunStepOne;
    QPushButton *m_btnRunStepTwo;
    QPushButton *m_btnRunStepThree;
    QDoubleSpinBox *m_dbxCellEdge;
    bool m_dismissed = false;
};

} // namespace Operations
} // namespace Ui
