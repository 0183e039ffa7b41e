#include "spincoatingoptionsdialog.h"

#include "dialogmemory.h"
#include "lengthunits.h"
#include "materialitems.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

SpinCoatingOptionsDialog::SpinCoatingOptionsDialog(QWidget *parent)
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

void SpinCoatingOptionsDialog::setHeightLimit(unsigned nz)
{
    m_sbxHeight->setMaximum(static_cast<int>(qMin(nz, 999999999u)));
}

unsigned SpinCoatingOptionsDialog::material() const { return chosenMaterial(m_cbxMaterial); }

unsigned SpinCoatingOptionsDialog::depositionHeight() const { return static_cast<unsigned>(m_sbxHeight->value()); }

} // namespace Operations
} // namespace Ui
