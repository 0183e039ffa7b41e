#include "UI/Dialogs/changevolumevisualizationdialog.h"

#include "Model/Materials/materialfactory.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

namespace {
QColor toQColor(const std::array<float, 4> &c) { return QColor::fromRgbF(c[0], c[1], c[2], c[3]); }

QCheckBox *checkBox(const QString &text, const QString &name, bool checked, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setChecked(checked);
    return box;
}
} // namespace

QString ChangeVolumeVisualizationDialog::swatchStyle(const QColor &color)
{
    return QStringLiteral("background-color : #%1%2%3")
        .arg(color.red(), 2, 16, QLatin1Char('0'))
        .arg(color.green(), 2, 16, QLatin1Char('0'))
        .arg(color.blue(), 2, 16, QLatin1Char('0'));
}

ChangeVolumeVisualizationDialog::ChangeVolumeVisualizationDialog(const Core::Operations::VisualizationOptions &options,
                                                                 QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Change Volume Visualization Options"));
    m_tabs = new QTabWidget(this);

    // Atomistic tab: what the lattice display shows, and the outlines of empty cells.
    auto *siTab = new QWidget(m_tabs);
    auto *siLayout = new QVBoxLayout(siTab);
    siLayout->addWidget(new QLabel(tr("Atomistic Visualization"), siTab));
    chkRenderSiAtoms = checkBox(tr("Render Si Atoms"), "chkRenderSiAtoms", options.lattice.renderSiAtoms, siTab);
    chkRenderSurfaceAtomsOnly = checkBox(tr("Render surface atoms only"), "chkRenderSurfaceAtomsOnly",
                                         options.lattice.renderSurfaceAtomsOnly, siTab);
    chkRenderSurfaceAtomsOnly->setEnabled(chkRenderSiAtoms->isChecked());
    connect(chkRenderSiAtoms, &QCheckBox::toggled, chkRenderSurfaceAtomsOnly, &QWidget::setEnabled);
    chkRenderSiAtomLinks =
        checkBox(tr("Render Si atom links"), "chkRenderSiAtomLinks", options.lattice.renderSiAtomLinks, siTab);
    chkRenderSiUnitCellOutlines = checkBox(tr("Render Si unit cell outlines"), "chkRenderSiUnitCellOutlines",
                                           options.lattice.renderSiUnitCellOutlines, siTab);
    chkRenderSiUnitCells =
        checkBox(tr("Render Si unit cells"), "chkRenderSiUnitCells", options.lattice.renderSiUnitCells, siTab);
    chkRenderEmptyVoxelOutlines = checkBox(tr("Render Empty Voxel Outlines"), "chkRenderEmptyVoxelOutlines",
                                           options.renderEmptyVoxelOutlines, siTab);
    for (QWidget *w :
         {static_cast<QWidget *>(chkRenderSiAtoms), static_cast<QWidget *>(chkRenderSurfaceAtomsOnly),
          static_cast<QWidget *>(chkRenderSiAtomLinks), static_cast<QWidget *>(chkRenderSiUnitCellOutlines),
          static_cast<QWidget *>(chkRenderSiUnitCells)})
        siLayout->addWidget(w);
    siLayout->addWidget(new QLabel(tr("Voxel Visualization"), siTab));
    siLayout->addWidget(chkRenderEmptyVoxelOutlines);
    m_tabs->addTab(siTab, tr("Si Visualization"));

    auto *filmTab = new QWidget(m_tabs);
    auto *filmLayout = new QFormLayout(filmTab);
    cbxMaterial = new QComboBox(filmTab);
    cbxMaterial->setObjectName(QStringLiteral("cbxMaterial"));
    for (const auto &material : Model::Materials::MaterialFactory::instance()->getMaterials())
        cbxMaterial->addItem(material.name(), material.id());
    filmLayout->addRow(tr("Material"), cbxMaterial);
    btnChangeColor = new QPushButton(tr("Change Color"), filmTab);
    btnChangeColor->setObjectName(QStringLiteral("btnChangeColor"));
    lblColor = new QLabel(filmTab);
    lblColor->setObjectName(QStringLiteral("lblColor"));
    lblColor->setMinimumSize(40, 20);
    filmLayout->addRow(btnChangeColor, lblColor);
    m_tabs->addTab(filmTab, tr("Film Visualization"));

    auto *surfaceTab = new QWidget(m_tabs);
    auto *surfaceLayout = new QFormLayout(surfaceTab);
    cbxSurfaceAlgorithm = new QComboBox(surfaceTab);
    cbxSurfaceAlgorithm->setObjectName(QStringLiteral("cbxSurfaceAlgorithm"));
    cbxSurfaceAlgorithm->addItems({tr("Direct Cubic Surface Generation"), tr("Marching Cubes"),
                                   tr("Octree Surface Generation"), tr("Particle Count Field View")});
    cbxDistribution = new QComboBox(surfaceTab);
    cbxDistribution->setObjectName(QStringLiteral("cbxDistribution"));
    cbxDistribution->addItems({tr("Particle Distribution for N-Type Dopants"),
                               tr("Particle Distribution for P-Type Dopants"),
                               tr("Particle Distribution Signed Sum of Dopants"), tr("Line-of-Sight Flux")});
    cbxColorScale = new QComboBox(surfaceTab);
    cbxColorScale->setObjectName(QStringLiteral("cbxColorScale"));
    cbxColorScale->addItems({tr("Gray Scale"), tr("Red to Blue"), tr("Yellow to Blue")});
    cbxSurfaceAlgorithm->setCurrentIndex(int(options.surfaceAlgorithm));
    cbxDistribution->setCurrentIndex(int(options.particleDistribution));
    cbxColorScale->setCurrentIndex(int(options.colorScaleType));
    surfaceLayout->addRow(tr("Surface Generation Algorithm"), cbxSurfaceAlgorithm);
    surfaceLayout->addRow(tr("Distribution to Render"), cbxDistribution);
    surfaceLayout->addRow(tr("Color Scale"), cbxColorScale);
    m_tabs->addTab(surfaceTab, tr("Surface Generation"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);

    connect(cbxMaterial, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ChangeVolumeVisualizationDialog::showSelectedColor);
    connect(btnChangeColor, &QPushButton::clicked, this, &ChangeVolumeVisualizationDialog::on_btnChangeColor_clicked);
    showSelectedColor();
}

Core::Operations::VisualizationOptions ChangeVolumeVisualizationDialog::options() const
{
    Core::Operations::VisualizationOptions options;
    options.lattice.renderSiAtoms = chkRenderSiAtoms->isChecked();
    options.lattice.renderSurfaceAtomsOnly = chkRenderSurfaceAtomsOnly->isChecked();
    options.lattice.renderSiAtomLinks = chkRenderSiAtomLinks->isChecked();
    options.lattice.renderSiUnitCells = chkRenderSiUnitCells->isChecked();
    options.lattice.renderSiUnitCellOutlines = chkRenderSiUnitCellOutlines->isChecked();
    options.renderEmptyVoxelOutlines = chkRenderEmptyVoxelOutlines->isChecked();
    options.surfaceAlgorithm = Model::Automaton::SurfaceAlgorithm(std::max(0, cbxSurfaceAlgorithm->currentIndex()));
    options.particleDistribution = uint32_t(std::max(0, cbxDistribution->currentIndex()));
    options.colorScaleType = uint32_t(std::max(0, cbxColorScale->currentIndex()));
    return options;
}

uint32_t ChangeVolumeVisualizationDialog::selectedMaterial() const { return cbxMaterial->currentData().toUInt(); }

void ChangeVolumeVisualizationDialog::setPendingColor(uint32_t materialId, const QColor &color)
{
    if (!color.isValid())
        return;
    m_pendingColors.insert(materialId, color);
    showSelectedColor();
}

void ChangeVolumeVisualizationDialog::showSelectedColor()
{
    const uint32_t id = selectedMaterial();
    const QColor color = m_pendingColors.contains(id)
                             ? m_pendingColors.value(id)
                             : toQColor(Model::Materials::MaterialFactory::instance()->getMaterial(id).color());
    lblColor->setStyleSheet(swatchStyle(color));
}

void ChangeVolumeVisualizationDialog::on_btnChangeColor_clicked()
{
    if (cbxMaterial->count() == 0)
        return;
    const uint32_t id = selectedMaterial();
    const QColor current = m_pendingColors.contains(id)
                               ? m_pendingColors.value(id)
                               : toQColor(Model::Materials::MaterialFactory::instance()->getMaterial(id).color());
    // Alpha matters: it decides whether a film is drawn opaque, transparent or not at all.
    const QColor chosen =
        QColorDialog::getColor(current, this, tr("Select new film color"), QColorDialog::ShowAlphaChannel);
    setPendingColor(id, chosen);
}

} // namespace Operations
} // namespace Ui
