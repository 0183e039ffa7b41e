#include "UI/Dialogs/gluesubstratedialog.h"

#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace Ui {
namespace Operations {

namespace {

constexpr uint32_t largestValue = uint32_t(std::numeric_limits<int>::max());

int spinValue(uint32_t value) { return int(std::min(value, largestValue)); }

QSpinBox *makeSpinBox(QWidget *parent, const QString &objectName, const QString &toolTip)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(objectName);
    box->setRange(0, int(largestValue));
    box->setSuffix(LengthUnits::cells());
    box->setToolTip(toolTip);
    return box;
}

} // namespace

GlueSubstrateDialog::GlueSubstrateDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("GlueSubstrateDialog"));
    setWindowTitle(QStringLiteral("Glue Substrate"));

    const QString sizeTip =
        QStringLiteral("This determines the final volume size.\nIf you wish to continue etching/depositing films on "
                       "top of the result, you should increase the Z size accordingly.");
    const QString displacementTip =
        QStringLiteral("Allows you to move the top substrate around if it is smaller than the bottom substrate.");

    auto *sizeGroup = new QGroupBox(QStringLiteral("Final Volume Size"), this);
    sizeGroup->setObjectName(QStringLiteral("grpFinalSize"));
    auto *sizeForm = new QFormLayout(sizeGroup);
    sbxFinalSizeX = makeSpinBox(sizeGroup, QStringLiteral("sbxFinalSizeX"), sizeTip);
    sbxFinalSizeX->setEnabled(false);
    sbxFinalSizeY = makeSpinBox(sizeGroup, QStringLiteral("sbxFinalSizeY"), sizeTip);
    sbxFinalSizeY->setEnabled(false);
    sbxFinalSizeZ = makeSpinBox(sizeGroup, QStringLiteral("sbxFinalSizeZ"), sizeTip);
    sizeForm->addRow(QStringLiteral("X"), sbxFinalSizeX);
    sizeForm->addRow(QStringLiteral("Y"), sbxFinalSizeY);
    sizeForm->addRow(QStringLiteral("Z"), sbxFinalSizeZ);

    auto *shiftGroup = new QGroupBox(QStringLiteral("Top Substrate Displacement"), this);
    shiftGroup->setObjectName(QStringLiteral("grpDisplacement"));
    auto *shiftForm = new QFormLayout(shiftGroup);
    sbxDisplacementX = makeSpinBox(shiftGroup, QStringLiteral("sbxDisplacementX"), displacementTip);
    sbxDisplacementY = makeSpinBox(shiftGroup, QStringLiteral("sbxDisplacementY"), displacementTip);
    shiftForm->addRow(QStringLiteral("X"), sbxDisplacementX);
    shiftForm->addRow(QStringLiteral("Y"), sbxDisplacementY);

    chkInvert = new QCheckBox(QStringLiteral("Invert Top Substrate"), this);
    chkInvert->setObjectName(QStringLiteral("chkInvert"));
    chkInvert->setToolTip(QStringLiteral("Flips the top substrate around the Y axis."));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sizeGroup);
    layout->addWidget(shiftGroup);
    auto *form = new QFormLayout;
    form->addRow(chkInvert);
    addOkCancelButtons(this, form);
    layout->addLayout(form);
    setLimits(1, 1, 1, 0, 0);
    DialogMemory::keep(this);
}

void GlueSubstrateDialog::setLimits(uint32_t wideX, uint32_t wideY, uint32_t stackedHeight, uint32_t roomX,
                                    uint32_t roomY)
{
    sbxFinalSizeX->setRange(spinValue(wideX), spinValue(wideX));
    sbxFinalSizeY->setRange(spinValue(wideY), spinValue(wideY));
    sbxFinalSizeZ->setRange(spinValue(stackedHeight), int(largestValue));
    sbxFinalSizeZ->setValue(spinValue(stackedHeight));
    sbxDisplacementX->setRange(0, spinValue(roomX));
    sbxDisplacementX->setValue(0);
    sbxDisplacementY->setRange(0, spinValue(roomY));
    sbxDisplacementY->setValue(0);
}

uint32_t GlueSubstrateDialog::finalSizeX() const { return uint32_t(sbxFinalSizeX->value()); }

uint32_t GlueSubstrateDialog::finalSizeY() const { return uint32_t(sbxFinalSizeY->value()); }

uint32_t GlueSubstrateDialog::finalSizeZ() const { return uint32_t(sbxFinalSizeZ->value()); }

uint32_t GlueSubstrateDialog::displacementX() const { return uint32_t(sbxDisplacementX->value()); }

uint32_t GlueSubstrateDialog::displacementY() const { return uint32_t(sbxDisplacementY->value()); }

bool GlueSubstrateDialog::invert() const { return chkInvert->isChecked(); }

} // namespace Operations
} // namespace Ui
