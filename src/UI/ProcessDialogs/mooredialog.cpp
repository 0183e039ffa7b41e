#include "UI/ProcessDialogs/mooredialog.h"

#include "Core/Processes/mooreprocess.h"
#include "Core/Processes/parameternames.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materialitems.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

MooreDialog::MooreDialog(const Core::Processes::MooreProcess &process, QWidget *parent)
    : QDialog(parent)
    , m_process(process)
    , m_lblValue(new QLabel(process.kind() == Core::Processes::MooreProcess::Kind::Deposition
                                ? QString::fromLatin1(Core::Processes::Parameter::FilmThickness)
                                : QString::fromLatin1(Core::Processes::Parameter::EtchDepth),
                            this))
    , m_sbxValue(new QSpinBox(this))
    , m_cbxFilm(new QComboBox(this))
{
    setObjectName(QStringLiteral("MooreOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Operation Options"));
    m_lblValue->setObjectName(QStringLiteral("lblValue"));
    m_sbxValue->setObjectName(QStringLiteral("sbxValue"));
    m_sbxValue->setRange(1, 999999999);
    m_sbxValue->setValue(1);
    m_sbxValue->setSuffix(LengthUnits::cells());
    m_cbxFilm->setObjectName(QStringLiteral("cbxFilm"));
    addMaterialItems(m_cbxFilm);

    auto *form = new QFormLayout;
    form->addRow(m_lblValue, m_sbxValue);
    form->addRow(QStringLiteral("Select Film"), m_cbxFilm);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    DialogMemory::keep(this);
}

QString MooreDialog::valueLabel() const { return m_lblValue->text(); }

unsigned MooreDialog::value() const { return static_cast<unsigned>(m_sbxValue->value()); }

unsigned MooreDialog::material() const { return chosenMaterial(m_cbxFilm); }

void MooreDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(m_cbxFilm, parameters.value(Parameter::MaterialId).toUInt());
    if (parameters.contains(m_process.layersName()))
        m_sbxValue->setValue(static_cast<int>(parameters.value(m_process.layersName()).toUInt()));
}

QVariantMap MooreDialog::parameters() const { return m_process.values({material(), value()}); }

} // namespace Operations
} // namespace Ui
