#pragma once

#include <QIcon>

#include <array>

class QComboBox;

namespace Ui {
namespace Operations {

/// A material's colour as a list entry shows it: a square swatch `size` pixels wide with a thin
/// grey frame, so that pale colours stand out from a pale list.
QIcon materialSwatch(const std::array<float, 4> &color, int size);

/// Sets a material list up so that its swatches are about the height of its text and the box,
/// and its popup, are wide enough for the longest name. Call again after the entries change.
void fitMaterialBox(QComboBox *combo);

/// Adds an entry for a material: its name with a swatch of its colour, the identifier as item data.
void addMaterialItem(QComboBox *combo, const std::array<float, 4> &color, const QString &name,
                     const QVariant &identifier);

/// Fills a material list with every material of the catalogue, in catalogue order (see
/// addMaterialItem), fitted to the names.
void addMaterialItems(QComboBox *combo);

/// The identifier of the chosen material, 0 when the list is empty.
unsigned chosenMaterial(const QComboBox *combo);

} // namespace Operations
} // namespace Ui
