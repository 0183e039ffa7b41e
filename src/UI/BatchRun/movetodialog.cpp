#include "UI/BatchRun/movetodialog.h"

#include "Core/BatchRun/processvocabulary.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace UtilDialog {

MoveTo::MoveTo(const QList<Core::Processes::ProcessStep> &steps, uint32_t moving, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Dialog"));
    auto *layout = new QVBoxLayout(this);
    m_cbxStep = new QComboBox;
    m_cbxStep->setObjectName(QStringLiteral("cbxStep"));
    for (int i = 0; i < steps.size(); ++i) {
        if (steps[i].getSerialNumber() == moving)
            continue;
        m_cbxStep->addItem(QString::number(i + 1) + QLatin1Char(' ') +
                               Core::BatchRun::displayName(steps[i].getProcessType()),
                           steps[i].getSerialNumber());
    }
    layout->addWidget(m_cbxStep);
    auto *radios = new QHBoxLayout;
    m_radAfter = new QRadioButton(QStringLiteral("After"));
    m_radAfter->setObjectName(QStringLiteral("radAfter"));
    m_radAfter->setChecked(true);
    m_radBefore = new QRadioButton(QStringLiteral("Before"));
    m_radBefore->setObjectName(QStringLiteral("radBefore"));
    radios->addWidget(m_radAfter);
    radios->addWidget(m_radBefore);
    layout->addLayout(radios);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

uint32_t MoveTo::chosenSerialNumber() const { return m_cbxStep->currentData().toUInt(); }

bool MoveTo::before() const { return m_radBefore->isChecked(); }

} // namespace UtilDialog
