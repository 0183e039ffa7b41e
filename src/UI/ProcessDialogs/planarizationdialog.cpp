#include "UI/ProcessDialogs/planarizationdialog.h"

#include "Core/Processes/parameternames.h"
#include "Core/Processes/planarizationprocess.h"
#include "Core/Processes/processregistry.h"
#include "Model/Volume/totalvolume.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

PlanarizationDialog::PlanarizationDialog(QWidget *parent)
    : QDialog(parent)
    , m_sbxMinimum(new QSpinBox(this))
    , m_sbxMaximum(new QSpinBox(this))
{
    setObjectName(QStringLiteral("PlanarizationOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Planarization Options"));
    m_sbxMinimum->setObjectName(QStringLiteral("sbxMinimumHeight"));
    m_sbxMinimum->setRange(0, 999999999);
    m_sbxMinimum->setSuffix(LengthUnits::cells());
    m_sbxMinimum->setToolTip(QStringLiteral("All cells below this height will be removed."));
    m_sbxMaximum->setObjectName(QStringLiteral("sbxMaximumHeight"));
    m_sbxMaximum->setRange(0, 999999999);
    // As high as it goes: the volume's height lowers it to the top of the volume.
    m_sbxMaximum->setValue(m_sbxMaximum->maximum());
    m_sbxMaximum->setSuffix(LengthUnits::cells());
    m_sbxMaximum->setToolTip(QStringLiteral("All cells above this height will be removed."));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Minimum Height"), m_sbxMinimum);
    form->addRow(QStringLiteral("Maximum Height"), m_sbxMaximum);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_sbxMaximum, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &PlanarizationDialog::updateMinimumLimits);
    updateMinimumLimits();
    DialogMemory::keep(this);
}

void PlanarizationDialog::setHeightLimit(unsigned nz)
{
    // A remembered maximum above the volume comes down to its top.
    m_sbxMaximum->setMaximum(static_cast<int>(qMin(nz, 999999999u)));
    updateMinimumLimits();
}

void PlanarizationDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::MaximumHeight))
        m_sbxMaximum->setValue(static_cast<int>(parameters.value(Parameter::MaximumHeight).toUInt()));
    if (parameters.contains(Parameter::MinimumHeight))
        m_sbxMinimum->setValue(static_cast<int>(parameters.value(Parameter::MinimumHeight).toUInt()));
}

QVariantMap PlanarizationDialog::parameters() const
{
    using namespace Core::Processes;
    return ProcessRegistry::get<PlanarizationProcess>().values({maximumHeight(), minimumHeight()});
}

void PlanarizationDialog::setContext(const ProcessDialogContext &context)
{
    if (context.volume)
        setHeightLimit(context.volume->sizeZ());
}

void PlanarizationDialog::updateMinimumLimits() { m_sbxMinimum->setMaximum(m_sbxMaximum->value()); }

unsigned PlanarizationDialog::maximumHeight() const { return static_cast<unsigned>(m_sbxMaximum->value()); }

unsigned PlanarizationDialog::minimumHeight() const { return static_cast<unsigned>(m_sbxMinimum->value()); }

} // namespace Operations
} // namespace Ui
