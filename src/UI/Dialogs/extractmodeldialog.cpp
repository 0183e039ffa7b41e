#include "UI/Dialogs/extractmodeldialog.h"

#include "Core/Operations/Document/runmodelextraction.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "UI/Dialogs/lengthunits.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

ExtractModelDialog::ExtractModelDialog(const std::weak_ptr<Core::Operations::RunModelExtraction> &operation,
                                       QWidget *parent)
    : QDialog(parent)
    , m_operation(operation)
    , m_btnRunStepOne(new QPushButton(QStringLiteral("Run Step 1"), this))
    , m_btnRunStepTwo(new QPushButton(QStringLiteral("Run Step 2"), this))
    , m_btnRunStepThree(new QPushButton(QStringLiteral("Run Step 3"), this))
    , m_dbxCellEdge(new QDoubleSpinBox(this))
{
    setObjectName(QStringLiteral("ExtractModelForm"));
    setWindowTitle(QStringLiteral("Extract Model"));
    m_btnRunStepOne->setObjectName(QStringLiteral("btnRunStepOne"));
    m_btnRunStepTwo->setObjectName(QStringLiteral("btnRunStepTwo"));
    m_btnRunStepThree->setObjectName(QStringLiteral("btnRunStepThree"));
    m_btnRunStepTwo->setEnabled(false);
    m_btnRunStepThree->setEnabled(false);
    m_btnRunStepOne->setAutoDefault(false);
    m_btnRunStepTwo->setAutoDefault(false);
    m_btnRunStepThree->setAutoDefault(false);

    m_dbxCellEdge->setObjectName(QStringLiteral("dbxCellEdge"));
    m_dbxCellEdge->setDecimals(4);
    m_dbxCellEdge->setRange(Model::ModelExtraction::CantileverStructure::smallestCellEdgeUm,
                            Model::ModelExtraction::CantileverStructure::largestCellEdgeUm);
    m_dbxCellEdge->setSuffix(LengthUnits::micrometres());
    m_dbxCellEdge->setToolTip(QStringLiteral("The length of the edge of a cell of size 1. Masses and spring "
                                             "constants of the netlist are worked out with it."));
    if (auto op = m_operation.lock())
        m_dbxCellEdge->setValue(op->lengthPerUnit() * 1.0e6);
    // Connected after the first value: the operation keeps its exact default until the user edits it.
    connect(m_dbxCellEdge, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &ExtractModelDialog::cellEdgeChanged);

    auto *heading = new QLabel(QStringLiteral("Model Extraction"), this);
    QFont font = heading->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    heading->setFont(font);

    auto *steps = new QGridLayout;
    steps->addWidget(new QLabel(QStringLiteral("Preprocessing"), this), 0, 0);
    steps->addWidget(m_btnRunStepOne, 0, 1);
    steps->addWidget(new QLabel(QStringLiteral("Feature Detection"), this), 1, 0);
    steps->addWidget(m_btnRunStepTwo, 1, 1);
    steps->addWidget(new QLabel(QStringLiteral("Save Netlist"), this), 2, 0);
    steps->addWidget(m_btnRunStepThree, 2, 1);
    steps->addWidget(new QLabel(QStringLiteral("Cell edge"), this), 3, 0);
    steps->addWidget(m_dbxCellEdge, 3, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(steps);
    layout->addWidget(buttons);

    connect(m_btnRunStepOne, &QPushButton::clicked, this, &ExtractModelDialog::runStepOneClicked);
    connect(m_btnRunStepTwo, &QPushButton::clicked, this, &ExtractModelDialog::runStepTwoClicked);
    connect(m_btnRunStepThree, &QPushButton::clicked, this, &ExtractModelDialog::runStepThreeClicked);
    // Every way of closing (the button, Escape, the window's close box) ends here.
    connect(this, &QDialog::finished, this, &ExtractModelDialog::closed);
}

void ExtractModelDialog::runStepOneClicked()
{
    auto op = m_operation.lock();
    if (!op || !op->runPreprocessing())
        return;
    m_btnRunStepOne->setEnabled(false);
    m_btnRunStepTwo->setEnabled(true);
}

void ExtractModelDialog::runStepTwoClicked()
{
    auto op = m_operation.lock();
    if (!op)
        return;
    // Step three also tells the user when no beam was found.
    op->runFeatureDetection();
    m_btnRunStepTwo->setEnabled(false);
    m_btnRunStepThree->setEnabled(true);
}

void ExtractModelDialog::runStepThreeClicked()
{
    if (auto op = m_operation.lock())
        op->saveNetlist();
}

void ExtractModelDialog::cellEdgeChanged(double micrometres)
{
    if (auto op = m_operation.lock())
        op->setLengthPerUnit(micrometres * 1.0e-6);
}

void ExtractModelDialog::dismiss()
{
    m_dismissed = true;
    if (isVisible())
        done(QDialog::Rejected);
    deleteLater();
}

void ExtractModelDialog::closed()
{
    if (m_dismissed)
        return;
    m_dismissed = true;
    if (auto op = m_operation.lock())
        op->execute();
    deleteLater();
}

} // namespace Operations
} // namespace Ui
