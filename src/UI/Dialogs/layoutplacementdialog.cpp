#include "UI/Dialogs/layoutplacementdialog.h"

#include "UI/Dialogs/lengthunits.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

namespace Ui {
namespace Operations {

namespace {

QDoubleSpinBox *makeMicronSpinBox(QWidget *parent, const QString &objectName, double minimum, const QString &suffix)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(objectName);
    box->setDecimals(4);
    box->setRange(minimum, 1.0e9);
    box->setSuffix(suffix);
    return box;
}

QString number(double value) { return QString::number(value, 'g', 6); }

} // namespace

LayoutPlacementDialog::LayoutPlacementDialog(const Core::Operations::GdsLayout &layout, uint32_t columnsX,
                                             uint32_t columnsY, QWidget *parent)
    : QDialog(parent)
    , m_layout(layout)
    , m_layers(layout.layers())
    , m_columnsX(columnsX)
    , m_columnsY(columnsY)
    , m_cbxLayer(new QComboBox(this))
    , m_dblScale(makeMicronSpinBox(this, QStringLiteral("dblScale"), 0.0001,
                                   LengthUnits::micrometres() + QStringLiteral(" per cell")))
    , m_dblOffsetX(makeMicronSpinBox(this, QStringLiteral("dblOffsetX"), -1.0e9, LengthUnits::micrometres()))
    , m_dblOffsetY(makeMicronSpinBox(this, QStringLiteral("dblOffsetY"), -1.0e9, LengthUnits::micrometres()))
    , m_lblExtent(new QLabel(this))
    , m_btnFit(new QPushButton(QStringLiteral("Fit to Volume"), this))
{
    setObjectName(QStringLiteral("LayoutPlacementDialog"));
    setWindowTitle(QStringLiteral("GDSII Layout Layer"));
    m_cbxLayer->setObjectName(QStringLiteral("cbxLayer"));
    m_lblExtent->setObjectName(QStringLiteral("lblExtent"));
    m_btnFit->setObjectName(QStringLiteral("btnFit"));
    m_btnFit->setAutoDefault(false);
    for (const auto &layer : m_layers) {
        const int shapes = layout.shapeCount(layer);
        m_cbxLayer->addItem(QStringLiteral("Layer %1, datatype %2 (%3 shape%4)")
                                .arg(layer.layer)
                                .arg(layer.datatype)
                                .arg(shapes)
                                .arg(shapes == 1 ? QString() : QStringLiteral("s")));
    }

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("Layer"), m_cbxLayer);
    form->addRow(m_lblExtent);
    form->addRow(QStringLiteral("Scale"), m_dblScale);
    form->addRow(QStringLiteral("Offset X"), m_dblOffsetX);
    form->addRow(QStringLiteral("Offset Y"), m_dblOffsetY);
    form->addRow(new QLabel(QStringLiteral("The offset is the layout point over the corner of cell column (0, 0).\n"
                                           "Columns whose centre lies inside a shape are exposed."),
                            this));
    form->addRow(m_btnFit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);

    connect(m_cbxLayer, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &LayoutPlacementDialog::fitToVolume);
    connect(m_btnFit, &QPushButton::clicked, this, &LayoutPlacementDialog::fitToVolume);
    fitToVolume();
}

Core::Operations::LayoutPlacement LayoutPlacementDialog::placement() const
{
    Core::Operations::LayoutPlacement placement;
    const int index = m_cbxLayer->currentIndex();
    if (index >= 0 && index < m_layers.size())
        placement.layer = m_layers[index];
    placement.micronsPerCell = m_dblScale->value();
    placement.offsetX = m_dblOffsetX->value();
    placement.offsetY = m_dblOffsetY->value();
    return placement;
}

void LayoutPlacementDialog::fitToVolume()
{
    const int index = m_cbxLayer->currentIndex();
    if (index < 0 || index >= m_layers.size())
        return;
    const auto &layer = m_layers[index];
    const QRectF box = m_layout.boundingBox(layer);
    m_lblExtent->setText(QStringLiteral("Shapes from (%1, %2) to (%3, %4) \u00b5m; the volume has %5 by %6 columns.")
                             .arg(number(box.left()), number(box.top()), number(box.right()), number(box.bottom()))
                             .arg(m_columnsX)
                             .arg(m_columnsY));
    const auto fitted = Core::Operations::fittedPlacement(m_layout, layer, m_columnsX, m_columnsY);
    m_dblScale->setValue(fitted.micronsPerCell);
    m_dblOffsetX->setValue(fitted.offsetX);
    m_dblOffsetY->setValue(fitted.offsetY);
}

} // namespace Operations
} // namespace Ui
