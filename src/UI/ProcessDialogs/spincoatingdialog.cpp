#include "UI/ProcessDialogs/spincoatingdialog.h"

#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "Core/Processes/spincoatingprocess.h"
#include "Model/Volume/totalvolume.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materialitems.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

SpinCoatingDialog::SpinCoatingDialog(QWidget *parent)
    : QDialog(parent)
    , m_cbxMaterial(new QComboBox(this))
    , m_sbxHeight(new QSpinBox(this))
{
    setObjectName(QStringLiteral("SpinCoatingOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Pour Material Options"));
    m_cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    addMaterialItems(m_cbxMaterial);
    m_sbxHeight->setObjectName(QStringLiteral("sbxDepositionHeight"));
    m_sbxHeight->setRange(0, 999999999);
    m_sbxHeight->setValue(0);
    m_sbxHeight->setSuffix(LengthUnits::cells());

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Material"), m_cbxMaterial);
    form->addRow(QStringLiteral("Deposition Height"), m_sbxHeight);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    DialogMemory::keep(this);
}

void SpinCoatingDialog::setHeightLimit(unsigned nz)
{
    m_sbxHeight->setMaximum(static_cast<int>(qMin(nz, 999999999u)));
}

unsigned SpinCoatingDialog::material() const { return chosenMaterial(m_cbxMaterial); }

unsigned SpinCoatingDialog::depositionHeight() const { return static_cast<unsigned>(m_sbxHeight->value()); }

void SpinCoatingDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    const QVariant material = parameters.value(Parameter::MaterialId);
    if (material.isValid())
        MaterialList::select(m_cbxMaterial, material.toUInt());
    if (parameters.contains(Parameter::MaximumHeight))
        m_sbxHeight->setValue(static_cast<int>(parameters.value(Parameter::MaximumHeight).toUInt()));
}

QVariantMap SpinCoatingDialog::parameters() const
{
    using namespace Core::Processes;
    return ProcessRegistry::get<SpinCoatingProcess>().values({depositionHeight(), material()});
}

void SpinCoatingDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setHeightLimit(context.volume->sizeZ());
}

} // namespace Operations
} // namespace Ui
