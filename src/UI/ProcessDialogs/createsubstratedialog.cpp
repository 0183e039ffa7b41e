#include "UI/ProcessDialogs/createsubstratedialog.h"

#include "Core/Processes/createsubstrateprocess.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materialitems.h"
#include "UI/Dialogs/materiallist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace Ui {
namespace Operations {

namespace {

QSpinBox *spinBox(QWidget *parent, const char *name, int minimum, int maximum, int value, const QString &tip)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setSuffix(LengthUnits::cells());
    box->setToolTip(tip);
    return box;
}

QDoubleSpinBox *positionBox(QWidget *parent, const char *name)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(-1e9, 1e9);
    box->setDecimals(3);
    box->setValue(0.0);
    box->setSuffix(LengthUnits::cells());
    return box;
}

QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

CreateSubstrateDialog::CreateSubstrateDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Create Substrate"));
    const QString volumeTip = QStringLiteral("Define the size of the total volume.");
    const QString sizeTip = QStringLiteral("Size of the substrate in cells.");
    const QString offsetTip = QStringLiteral("Location of the substrate relative to the total volume in cells.");

    auto *volumeGroup = new QGroupBox(QStringLiteral("Total Volume Dimensions and Position"), this);
    m_sbxTotalWidth = spinBox(volumeGroup, "sbxTotalWidth", 1, 1000000000, 100, volumeTip);
    m_sbxTotalLength = spinBox(volumeGroup, "sbxTotalLength", 1, 1000000000, 100, volumeTip);
    m_sbxTotalHeight = spinBox(volumeGroup, "sbxTotalHeight", 1, 1000000000, 80, volumeTip);
    m_dblVolumeX = positionBox(volumeGroup, "dblVolumeX");
    m_dblVolumeY = positionBox(volumeGroup, "dblVolumeY");
    m_dblVolumeZ = positionBox(volumeGroup, "dblVolumeZ");
    auto *volumeLayout = new QGridLayout(volumeGroup);
    volumeLayout->addWidget(new QLabel(QStringLiteral("Width (x)"), volumeGroup), 0, 0);
    volumeLayout->addWidget(m_sbxTotalWidth, 0, 1);
    volumeLayout->addWidget(new QLabel(QStringLiteral("Length (y)"), volumeGroup), 1, 0);
    volumeLayout->addWidget(m_sbxTotalLength, 1, 1);
    volumeLayout->addWidget(new QLabel(QStringLiteral("Height (z)"), volumeGroup), 2, 0);
    volumeLayout->addWidget(m_sbxTotalHeight, 2, 1);
    volumeLayout->addWidget(new QLabel(QStringLiteral("Position x"), volumeGroup), 0, 2);
    volumeLayout->addWidget(m_dblVolumeX, 0, 3);
    volumeLayout->addWidget(new QLabel(QStringLiteral("Position y"), volumeGroup), 1, 2);
    volumeLayout->addWidget(m_dblVolumeY, 1, 3);
    volumeLayout->addWidget(new QLabel(QStringLiteral("Position z"), volumeGroup), 2, 2);
    volumeLayout->addWidget(m_dblVolumeZ, 2, 3);

    auto *substrateGroup = new QGroupBox(QStringLiteral("Substrate Dimensions and position"), this);
    m_cbxFilm = new QComboBox(substrateGroup);
    m_cbxFilm->setObjectName(QStringLiteral("cbxFilm"));
    m_cbxSubsSphere = new QCheckBox(QStringLiteral("Spherical substrate"), substrateGroup);
    m_cbxSubsSphere->setObjectName(QStringLiteral("cbxSubsSphere"));
    m_sbxSubsWidth = spinBox(substrateGroup, "sbxSubsWidth", 1, 100, 100, sizeTip);
    m_sbxSubsLength = spinBox(substrateGroup, "sbxSubsLength", 1, 100, 100, sizeTip);
    m_sbxSubsHeight = spinBox(substrateGroup, "sbxSubsHeight", 1, 80, 30, sizeTip);
    m_sbxSubsX = spinBox(substrateGroup, "sbxSubsX", 0, 0, 0, offsetTip);
    m_sbxSubsY = spinBox(substrateGroup, "sbxSubsY", 0, 0, 0, offsetTip);
    m_sbxSubsZ = spinBox(substrateGroup, "sbxSubsZ", 0, 50, 0, offsetTip);
    m_sbxSubsCenterX = spinBox(substrateGroup, "sbxSubsCenterX", 0, 99, 0, offsetTip);
    m_sbxSubsCenterY = spinBox(substrateGroup, "sbxSubsCenterY", 0, 99, 0, offsetTip);
    m_sbxSubsCenterZ = spinBox(substrateGroup, "sbxSubsCenterZ", 0, 79, 0, offsetTip);
    m_sbxSubsRadius = spinBox(substrateGroup, "sbxSubsRadius", 1, 999999999, 50, sizeTip);

    auto *grid = new QGridLayout(substrateGroup);
    grid->addWidget(new QLabel(QStringLiteral("Material"), substrateGroup), 0, 0);
    grid->addWidget(m_cbxFilm, 0, 1, 1, 3);
    grid->addWidget(m_cbxSubsSphere, 1, 0, 1, 4);
    struct Row {
        const char *labelName;
        const char *text;
        QSpinBox *box;
        bool sphere;
    };
    const Row rows[] = {
        {"lblSubsWidth", "Width (x)", m_sbxSubsWidth, false},    {"lblSubsX", "Offset x", m_sbxSubsX, false},
        {"lblSubsLength", "Length (y)", m_sbxSubsLength, false}, {"lblSubsY", "Offset y", m_sbxSubsY, false},
        {"lblSubsHeight", "Height (z)", m_sbxSubsHeight, false}, {"lblSubsZ", "Offset z", m_sbxSubsZ, false},
        {"lblSubsCenterX", "Centre x", m_sbxSubsCenterX, true},  {"lblSubsRadius", "Radius", m_sbxSubsRadius, true},
        {"lblSubsCenterY", "Centre y", m_sbxSubsCenterY, true},  {"", "", nullptr, true},
        {"lblSubsCenterZ", "Centre z", m_sbxSubsCenterZ, true},
    };
    int index = 0;
    for (const Row &row : rows) {
        const int r = 2 + index / 2;
        const int c = (index % 2) * 2;
        ++index;
        if (!row.box)
            continue;
        QLabel *l = label(substrateGroup, row.labelName, QLatin1String(row.text));
        grid->addWidget(l, r, c);
        grid->addWidget(row.box, r, c + 1);
        auto &group = row.sphere ? m_sphereWidgets : m_boxWidgets;
        group << l << row.box;
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(volumeGroup);
    layout->addWidget(substrateGroup);
    layout->addWidget(buttons);

    using IntSignal = void (QSpinBox::*)(int);
    const IntSignal changed = &QSpinBox::valueChanged;
    connect(m_sbxTotalWidth, changed, this, &CreateSubstrateDialog::updateLimitX);
    connect(m_sbxTotalLength, changed, this, &CreateSubstrateDialog::updateLimitY);
    connect(m_sbxTotalHeight, changed, this, &CreateSubstrateDialog::updateLimitZ);
    connect(m_sbxSubsWidth, changed, this, &CreateSubstrateDialog::updateSubstrateDispX);
    connect(m_sbxSubsLength, changed, this, &CreateSubstrateDialog::updateSubstrateDispY);
    connect(m_sbxSubsHeight, changed, this, &CreateSubstrateDialog::updateSubstrateDispZ);
    connect(m_cbxSubsSphere, &QCheckBox::toggled, this, &CreateSubstrateDialog::toggleSubsShape);

    updateLimitX(m_sbxTotalWidth->value());
    updateLimitY(m_sbxTotalLength->value());
    updateLimitZ(m_sbxTotalHeight->value());
    toggleSubsShape(false);
    setMaterials(Model::Materials::MaterialFactory::instance()->getMaterials());
    DialogMemory::keep(this);
}

void CreateSubstrateDialog::setMaterials(const QList<Model::Materials::Material> &materials)
{
    const QVariant chosen = m_cbxFilm->currentData();
    m_cbxFilm->clear();
    for (const auto &material : materials)
        addMaterialItem(m_cbxFilm, material.color(), material.name(), material.id());
    fitMaterialBox(m_cbxFilm);
    if (m_cbxFilm->count() > 0)
        m_cbxFilm->setCurrentIndex(std::max(0, m_cbxFilm->findData(chosen)));
}

void CreateSubstrateDialog::updateLimitX(int width)
{
    m_sbxSubsWidth->setMaximum(width);
    m_sbxSubsWidth->setValue(width);
    m_sbxSubsX->setMaximum(0);
    m_sbxSubsCenterX->setMaximum(width - 1);
}

void CreateSubstrateDialog::updateLimitY(int length)
{
    m_sbxSubsLength->setMaximum(length);
    m_sbxSubsLength->setValue(length);
    m_sbxSubsY->setMaximum(0);
    m_sbxSubsCenterY->setMaximum(length - 1);
}

void CreateSubstrateDialog::updateLimitZ(int height)
{
    m_sbxSubsHeight->setMaximum(height);
    m_sbxSubsZ->setMaximum(height - m_sbxSubsHeight->value());
    m_sbxSubsCenterZ->setMaximum(height - 1);
}

void CreateSubstrateDialog::updateSubstrateDispX(int size) { m_sbxSubsX->setMaximum(m_sbxTotalWidth->value() - size); }

void CreateSubstrateDialog::updateSubstrateDispY(int size) { m_sbxSubsY->setMaximum(m_sbxTotalLength->value() - size); }

void CreateSubstrateDialog::updateSubstrateDispZ(int size) { m_sbxSubsZ->setMaximum(m_sbxTotalHeight->value() - size); }

void CreateSubstrateDialog::toggleSubsShape(bool spherical)
{
    for (QWidget *w : m_boxWidgets)
        w->setEnabled(!spherical);
    for (QWidget *w : m_sphereWidgets)
        w->setEnabled(spherical);
}

uint32_t CreateSubstrateDialog::material() const { return m_cbxFilm->currentData().toUInt(); }
uint32_t CreateSubstrateDialog::totalWidth() const { return uint32_t(m_sbxTotalWidth->value()); }
uint32_t CreateSubstrateDialog::totalLength() const { return uint32_t(m_sbxTotalLength->value()); }
uint32_t CreateSubstrateDialog::totalHeight() const { return uint32_t(m_sbxTotalHeight->value()); }
bool CreateSubstrateDialog::isSpherical() const { return m_cbxSubsSphere->isChecked(); }
uint32_t CreateSubstrateDialog::substrateWidth() const { return uint32_t(m_sbxSubsWidth->value()); }
uint32_t CreateSubstrateDialog::substrateLength() const { return uint32_t(m_sbxSubsLength->value()); }
uint32_t CreateSubstrateDialog::substrateHeight() const { return uint32_t(m_sbxSubsHeight->value()); }
uint32_t CreateSubstrateDialog::offsetX() const { return uint32_t(m_sbxSubsX->value()); }
uint32_t CreateSubstrateDialog::offsetY() const { return uint32_t(m_sbxSubsY->value()); }
uint32_t CreateSubstrateDialog::offsetZ() const { return uint32_t(m_sbxSubsZ->value()); }
uint32_t CreateSubstrateDialog::centreX() const { return uint32_t(m_sbxSubsCenterX->value()); }
uint32_t CreateSubstrateDialog::centreY() const { return uint32_t(m_sbxSubsCenterY->value()); }
uint32_t CreateSubstrateDialog::centreZ() const { return uint32_t(m_sbxSubsCenterZ->value()); }
uint32_t CreateSubstrateDialog::radius() const { return uint32_t(m_sbxSubsRadius->value()); }

Util::Vector3D CreateSubstrateDialog::position() const
{
    return Util::Vector3D(m_dblVolumeX->value(), m_dblVolumeY->value(), m_dblVolumeZ->value());
}

void CreateSubstrateDialog::setParameters(const QVariantMap &parameters)
{
    namespace Parameter = Core::Processes::Parameter;
    const auto fill = [&parameters](QSpinBox *box, const QString &name) {
        if (parameters.contains(name))
            box->setValue(static_cast<int>(parameters.value(name).toUInt()));
    };
    // Volume sizes first: they reset the substrate limits.
    QSpinBox *const volume[] = {m_sbxTotalWidth, m_sbxTotalLength, m_sbxTotalHeight};
    QSpinBox *const size[] = {m_sbxSubsWidth, m_sbxSubsLength, m_sbxSubsHeight};
    QSpinBox *const delta[] = {m_sbxSubsX, m_sbxSubsY, m_sbxSubsZ};
    QSpinBox *const centre[] = {m_sbxSubsCenterX, m_sbxSubsCenterY, m_sbxSubsCenterZ};
    const char axes[] = {'X', 'Y', 'Z'};
    for (int i = 0; i < 3; ++i)
        fill(volume[i], Parameter::volumeSize(axes[i]));
    for (int i = 0; i < 3; ++i)
        fill(size[i], Parameter::substrateSize(axes[i]));
    for (int i = 0; i < 3; ++i)
        fill(delta[i], Parameter::substrateDelta(axes[i]));
    for (int i = 0; i < 3; ++i)
        fill(centre[i], Parameter::substrateCenter(axes[i]));
    fill(m_sbxSubsRadius, Parameter::SubstrateRadius);
    m_cbxSubsSphere->setChecked(parameters.value(Parameter::SphericalSubstrate).toBool());
    const QVariant material = parameters.value(Parameter::MaterialId);
    if (material.isValid())
        MaterialList::select(m_cbxFilm, material.toUInt());
    const auto corner = Util::Vector3D::fromVariant(parameters.value(Parameter::LowerLeftFrontCorner));
    m_dblVolumeX->setValue(corner.x);
    m_dblVolumeY->setValue(corner.y);
    m_dblVolumeZ->setValue(corner.z);
}

QVariantMap CreateSubstrateDialog::parameters() const
{
    using namespace Core::Processes;
    CreateSubstrateParameters params;
    params.material = material();
    params.corner = position();
    params.volumeSize = {totalWidth(), totalLength(), totalHeight()};
    params.spherical = isSpherical();
    params.substrateSize = {substrateWidth(), substrateLength(), substrateHeight()};
    params.substrateDelta = {offsetX(), offsetY(), offsetZ()};
    params.substrateCenter = {centreX(), centreY(), centreZ()};
    params.radius = radius();
    return ProcessRegistry::get<CreateSubstrateProcess>().values(params);
}

} // namespace Operations
} // namespace Ui
