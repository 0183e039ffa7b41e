#pragma once

#include <QString>

class QDoubleSpinBox;

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Ui {
namespace Operations {

/// The words the dialogs show beside lengths, one per unit: lengths measured in cells (a cell of
/// size 1 is one long) and lengths in micrometres.
namespace LengthUnits {

/// " cells", the suffix of a length in cells.
QString cells();
/// " µm", the suffix of a length in micrometres.
QString micrometres();

/// Lowers the box's value to the largest it can show that is not above `limit` (the selected
/// volume's extent in the box's unit) when it is larger; a limit of 0 or less (no volume known)
/// changes nothing.
void fitLength(QDoubleSpinBox *box, double limit);
/// The volume's height in cells of size 1 (its layers times their height); 0 without a volume.
double heightOf(const Model::Automaton::TotalVolume *volume);

} // namespace LengthUnits
} // namespace Operations
} // namespace Ui
