#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QSpinBox;

namespace Ui {
namespace Operations {

/// Options of the Moore-neighbourhood deposition and etching: a film and a count of cell layers.
/// The observer names the count ("Film Thickness" or "Etch Depth").
class MooreOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit MooreOptionsDialog(QWidget *parent = nullptr);

    void setValueLabel(const QString &text);
    QString valueLabel() const;
    unsigned value() const;
    unsigned material() const;

    QSpinBox *valueSpinBox() const { return m_sbxValue; }
    QComboBox *filmComboBox() const { return m_cbxFilm; }

private:
    QLabel *m_lblValue;
    QSpinBox *m_sbxValue;
    QComboBox *m_cbxFilm;
};

} // namespace Operations
} // namespace Ui
