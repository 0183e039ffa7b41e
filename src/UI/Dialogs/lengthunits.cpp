#include "UI/Dialogs/lengthunits.h"

#include "Model/Volume/totalvolume.h"

#include <QDoubleSpinBox>

#include <algorithm>
#include <cmath>

namespace Ui {
namespace Operations {

QString LengthUnits::cells() { return QStringLiteral(" cells"); }

QString LengthUnits::micrometres() { return QStringLiteral(" \u00b5m"); }

void LengthUnits::fitLength(QDoubleSpinBox *box, double limit)
{
    if (!(limit > 0.0) || box->value() <= limit)
        return;
    // Rounded down to the box's decimals, as rounding to the nearest could land above the limit; the
    // millionth of a step keeps a limit such as 0.3 (2999.99... ten-thousandths) from losing a step.
    const double scale = std::pow(10.0, box->decimals());
    box->setValue(std::max(box->minimum(), std::floor(limit * scale + 1e-6) / scale));
}

double LengthUnits::heightOf(const Model::Automaton::TotalVolume *volume)
{
    return volume ? double(volume->sizeZ()) * double(volume->cellSizeZ()) : 0.0;
}

} // namespace Operations
} // namespace Ui
