#include "UI/ProcessDialogs/siwetetchingdialog.h"

#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "Core/Processes/siwetetchingprocess.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>

namespace Ui {
namespace Operations {

SiWetEtchingDialog::SiWetEtchingDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("BCAEtchingForm"));
    setWindowTitle(QStringLiteral("Wet Etching Options"));
    auto *form = new QFormLayout(this);
    dblDepth = new QDoubleSpinBox(this);
    dblDepth->setObjectName(QStringLiteral("dblDepth"));
    // Three decimals: a quarter cell is one atomic layer, and 0.125 is the smallest depth that etches.
    dblDepth->setDecimals(3);
    dblDepth->setRange(0.0, 100000.0);
    dblDepth->setSingleStep(0.25);
    dblDepth->setValue(1.0);
    dblDepth->setSuffix(LengthUnits::cells());
    dblDepth->setToolTip(QStringLiteral(
        "Set the depth of the etching. This is how far down the (100) plane on the surface will be etched."));
    form->addRow(QStringLiteral("Etch Depth"), dblDepth);
    lblModel = new QLabel(QStringLiteral("Etch Model"), this);
    cbxModel = new QComboBox(this);
    cbxModel->setObjectName(QStringLiteral("cbxModel"));
    cbxModel->addItem(QStringLiteral("BCA"));
    cbxModel->addItem(QStringLiteral("CCA"));
    form->addRow(lblModel, cbxModel);
    lblModel->hide();
    cbxModel->hide();
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

double SiWetEtchingDialog::depth() const { return dblDepth->value(); }

void SiWetEtchingDialog::showModelChoice()
{
    lblModel->show();
    cbxModel->show();
}

QString SiWetEtchingDialog::model() const { return cbxModel->currentText(); }

void SiWetEtchingDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::Depth))
        dblDepth->setValue(parameters.value(Parameter::Depth).toDouble());
    const QString model = parameters.value(Parameter::EtchModel, QStringLiteral("BCA")).toString();
    cbxModel->setCurrentIndex(model == QLatin1String("CCA") ? 1 : 0);
}

QVariantMap SiWetEtchingDialog::parameters() const
{
    using namespace Core::Processes;
    return ProcessRegistry::get<SiWetEtchingProcess>().values({depth(), model()});
}

void SiWetEtchingDialog::setContext(const ProcessDialogContext &context)
{
    if (context.listStep)
        showModelChoice();
}

} // namespace Operations
} // namespace Ui
