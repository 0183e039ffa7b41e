#include "UI/Dialogs/filmextractiondialog.h"

#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/materiallist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

namespace Ui {
namespace Operations {

FilmExtractionDialog::FilmExtractionDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FilmExtractionDialog"));
    setWindowTitle(QStringLiteral("Extract Film"));
    auto *form = new QFormLayout(this);
    cbxMaterial = new QComboBox(this);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    MaterialList::fillWithAll(cbxMaterial);
    form->addRow(QStringLiteral("Select Film to Extract"), cbxMaterial);
    chkInvert = new QCheckBox(QStringLiteral("Invert film after extraction"), this);
    chkInvert->setObjectName(QStringLiteral("chkInvert"));
    form->addRow(chkInvert);
    addOkCancelButtons(this, form);
    DialogMemory::keep(this);
}

uint32_t FilmExtractionDialog::material() const { return MaterialList::selected(cbxMaterial); }

bool FilmExtractionDialog::invert() const { return chkInvert->isChecked(); }

} // namespace Operations
} // namespace Ui
