#pragma once

class QComboBox;

namespace Ui {
namespace Operations {

/// Fills a material list with every material of the catalogue, in catalogue order: the name with a
/// 100 x 100 swatch of its colour, the identifier as item data.
void addMaterialItems(QComboBox *combo);

/// The identifier of the chosen material, 0 when the list is empty.
unsigned chosenMaterial(const QComboBox *combo);

} // namespace Operations
} // namespace Ui
