#pragma once

#include "Model/Materials/material.h"

#include <QList>

#include <cstdint>

class QComboBox;
class QDialog;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace Ui {
namespace Operations {

/// Widgets the process option dialogs share.
namespace MaterialList {

/// Fills the box with one entry per material: its name, a swatch of its colour about the text's
/// height and its identifier as item data; the box fits the longest name.
void fill(QComboBox *box, const QList<Model::Materials::Material> &materials);
/// The materials compatible with a catalogue process.
void fillForProcess(QComboBox *box, uint32_t processId);
/// Every material of the catalogue.
void fillWithAll(QComboBox *box);
/// The chosen material's identifier, 0 when the box is empty.
uint32_t selected(const QComboBox *box);
/// Makes the entry with that identifier current; false when there is none.
bool select(QComboBox *box, uint32_t materialId);

} // namespace MaterialList

/// A thickness or depth: 2 decimals, 0 to 1000000000, 10 by default, in " cells".
QDoubleSpinBox *makeLengthSpinBox(QWidget *parent, const QString &objectName);
/// A horizontal-to-vertical ratio: 0.5 by default, no arrows (single step 0), no suffix.
QDoubleSpinBox *makeRatioSpinBox(QWidget *parent, const QString &objectName, int decimals, double minimum);
/// The red, word-wrapped line ("lblProblem") where a dialog says what is wrong with its values; hidden.
QLabel *makeProblemLabel(QWidget *parent);
/// Shows `problem` on the problem line; false (and nothing shown) when there is none.
bool showProblem(QLabel *label, const QString &problem);
/// The optional "Random Seed" field ("lieRandomSeed") of a random step: empty takes the run's or the clock's.
QLineEdit *makeSeedEdit(QWidget *parent);
/// Appends the dialog's OK and Cancel buttons ("buttonBox") to its form.
void addOkCancelButtons(QDialog *dialog, QFormLayout *form);

} // namespace Operations
} // namespace Ui
