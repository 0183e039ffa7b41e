#include "UI/Dialogs/materiallist.h"

#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materialitems.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace Ui {
namespace Operations {

void MaterialList::fill(QComboBox *box, const QList<Model::Materials::Material> &materials)
{
    box->clear();
    for (const auto &material : materials)
        addMaterialItem(box, material.color(), material.name(), QVariant::fromValue<uint>(material.id()));
    fitMaterialBox(box);
}

void MaterialList::fillForProcess(QComboBox *box, uint32_t processId)
{
    fill(box, Model::Process::ProcessFactory::instance()->getProcess(processId).compatibleMaterials());
}

void MaterialList::fillWithAll(QComboBox *box)
{
    fill(box, Model::Materials::MaterialFactory::instance()->getMaterials());
}

uint32_t MaterialList::selected(const QComboBox *box)
{
    return box->currentIndex() < 0 ? 0u : box->currentData().toUInt();
}

bool MaterialList::select(QComboBox *box, uint32_t materialId)
{
    const int index = box->findData(QVariant::fromValue<uint>(materialId));
    if (index < 0)
        return false;
    box->setCurrentIndex(index);
    return true;
}

QDoubleSpinBox *makeLengthSpinBox(QWidget *parent, const QString &objectName)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(objectName);
    box->setDecimals(2);
    box->setRange(0.0, 1000000000.0);
    box->setValue(10.0);
    box->setSuffix(LengthUnits::cells());
    return box;
}

QDoubleSpinBox *makeRatioSpinBox(QWidget *parent, const QString &objectName, int decimals, double minimum)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(objectName);
    box->setDecimals(decimals);
    box->setRange(minimum, 1000000000.0);
    box->setSingleStep(0.0);
    box->setValue(0.5);
    return box;
}

QLabel *makeProblemLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("lblProblem"));
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: #c00000;"));
    label->hide();
    return label;
}

bool showProblem(QLabel *label, const QString &problem)
{
    if (problem.isEmpty())
        return false;
    label->setText(problem);
    label->show();
    return true;
}

QLineEdit *makeSeedEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("lieRandomSeed"));
    edit->setPlaceholderText(QStringLiteral("empty: from the run or the clock"));
    edit->setToolTip(QStringLiteral("The same seed gives the same result on every run."));
    return edit;
}

void addOkCancelButtons(QDialog *dialog, QFormLayout *form)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    form->addRow(buttons);
}

} // namespace Operations
} // namespace Ui
