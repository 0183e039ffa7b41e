#include "UI/viewproperties.h"

#include "UI/glwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace Ui {

namespace {
QDoubleSpinBox *spinBox(const QString &name, double low, double high, int decimals, QWidget *parent)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setKeyboardTracking(false);
    return box;
}

constexpr double degrees = 180.0 / M_PI;
} // namespace

ViewProperties::ViewProperties(GLWidget &view, QWidget *parent)
    : QDialog(parent)
    , m_view(view)
{
    setWindowTitle(tr("Set vew and lighting"));

    auto *rotationGroup = new QGroupBox(tr("Rotation Angles"), this);
    auto *rotationForm = new QFormLayout(rotationGroup);
    const char *rotationNames[3] = {"dbxRotationX", "dbxRotationY", "dbxRotationZ"};
    const QString rotationLabels[3] = {tr("X Axis"), tr("Y Axis"), tr("Z axis")};
    for (int i = 0; i < 3; ++i) {
        m_rotation[i] = spinBox(QLatin1String(rotationNames[i]), -360, 360, 2, rotationGroup);
        rotationForm->addRow(rotationLabels[i], m_rotation[i]);
    }

    auto *zoomGroup = new QGroupBox(tr("Vew zoom"), this);
    auto *zoomForm = new QFormLayout(zoomGroup);
    dbxZoom = spinBox(QStringLiteral("dbxZoom"), 0.001, 10000, 3, zoomGroup);
    zoomForm->addRow(tr("Zoom"), dbxZoom);

    auto *positionGroup = new QGroupBox(tr("Relative position"), this);
    auto *positionLayout = new QVBoxLayout(positionGroup);
    auto *screenGroup = new QGroupBox(tr("Position in relation to the screen"), positionGroup);
    auto *screenForm = new QFormLayout(screenGroup);
    m_screen[0] = spinBox(QStringLiteral("dbxPositionX"), -1e6, 1e6, 2, screenGroup);
    m_screen[1] = spinBox(QStringLiteral("dbxPositionY"), -1e6, 1e6, 2, screenGroup);
    screenForm->addRow(tr("Position X"), m_screen[0]);
    screenForm->addRow(tr("Position Y"), m_screen[1]);
    auto *axesGroup = new QGroupBox(tr("Position in relation to the axes"), positionGroup);
    auto *axesForm = new QFormLayout(axesGroup);
    const char *distanceNames[3] = {"dbxDistanceX", "dbxDistanceY", "dbxDistanceZ"};
    const QString distanceLabels[3] = {tr("Distance X"), tr("Distance Y"), tr("Dstance Z")};
    for (int i = 0; i < 3; ++i) {
        m_distance[i] = spinBox(QLatin1String(distanceNames[i]), -1e6, 1e6, 2, axesGroup);
        axesForm->addRow(distanceLabels[i], m_distance[i]);
    }
    positionLayout->addWidget(screenGroup);
    positionLayout->addWidget(axesGroup);

    auto *lightGroup = new QGroupBox(tr("Lighting"), this);
    auto *lightForm = new QFormLayout(lightGroup);
    cbxLamp = new QComboBox(lightGroup);
    cbxLamp->setObjectName(QStringLiteral("cbxLamp"));
    btnAddLamp = new QPushButton(tr("Add Lamp"), lightGroup);
    btnAddLamp->setObjectName(QStringLiteral("btnAddLamp"));
    btnDelete = new QPushButton(tr("Delete"), lightGroup);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    auto *lampRow = new QHBoxLayout;
    lampRow->addWidget(cbxLamp);
    lampRow->addWidget(btnAddLamp);
    lampRow->addWidget(btnDelete);
    lightForm->addRow(tr("Lamp"), lampRow);
    chkEnabled = new QCheckBox(tr("Enabled"), lightGroup);
    chkEnabled->setObjectName(QStringLiteral("chkEnabled"));
    lightForm->addRow(chkEnabled);
    dbxRadius = spinBox(QStringLiteral("dbxRadius"), 0, 1e6, 2, lightGroup);
    dbxTheta = spinBox(QStringLiteral("dbxTheta"), -360, 360, 2, lightGroup);
    dbxPhi = spinBox(QStringLiteral("dbxPhi"), -360, 360, 2, lightGroup);
    lightForm->addRow(tr("Radius"), dbxRadius);
    lightForm->addRow(tr("Angle \u03b8"), dbxTheta);
    lightForm->addRow(tr("Angle \u03c6"), dbxPhi);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(rotationGroup);
    layout->addWidget(zoomGroup);
    layout->addWidget(positionGroup);
    layout->addWidget(lightGroup);
    layout->addWidget(buttons);

    for (int n = 1; n <= m_view.lamps().count(); ++n)
        cbxLamp->addItem(tr("Lamp") + QString::number(n));
    cbxLamp->setCurrentIndex(m_view.lamps().active() - 1);
    loadView();
    loadLamp();

    const auto viewChanged = [this] { applyView(); };
    for (QDoubleSpinBox *box : {m_rotation[0], m_rotation[1], m_rotation[2], dbxZoom, m_screen[0], m_screen[1],
                                m_distance[0], m_distance[1], m_distance[2]})
        connect(box, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, viewChanged);
    const auto lampChanged = [this] { applyLamp(); };
    for (QDoubleSpinBox *box : {dbxRadius, dbxTheta, dbxPhi})
        connect(box, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, lampChanged);
    connect(chkEnabled, &QCheckBox::toggled, this, lampChanged);
    connect(cbxLamp, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] { loadLamp(); });
    connect(btnAddLamp, &QPushButton::clicked, this, &ViewProperties::on_btnAddLamp_clicked);
    connect(btnDelete, &QPushButton::clicked, this, &ViewProperties::on_btnDelete_clicked);
}

int ViewProperties::selectedLamp() const { return cbxLamp->currentIndex() + 1; }

void ViewProperties::loadView()
{
    m_loading = true;
    const Camera &camera = m_view.camera();
    m_rotation[0]->setValue(camera.rotationX());
    m_rotation[1]->setValue(camera.rotationY());
    m_rotation[2]->setValue(camera.rotationZ());
    dbxZoom->setValue(m_view.zoom());
    m_screen[0]->setValue(camera.viewX());
    m_screen[1]->setValue(camera.viewY());
    const QVector3D axis = camera.axisPosition();
    m_distance[0]->setValue(axis.x());
    m_distance[1]->setValue(axis.y());
    m_distance[2]->setValue(axis.z());
    m_loading = false;
}

void ViewProperties::loadLamp()
{
    m_loading = true;
    const auto lamp = m_view.lamps().lamp(selectedLamp());
    chkEnabled->setChecked(lamp.enabled);
    dbxRadius->setValue(lamp.radius);
    dbxTheta->setValue(lamp.theta * degrees);
    dbxPhi->setValue(lamp.phi * degrees);
    m_loading = false;
}

void ViewProperties::applyView()
{
    if (m_loading)
        return;
    m_view.camera().setRotation(m_rotation[0]->value(), m_rotation[1]->value(), m_rotation[2]->value());
    m_view.setZoom(dbxZoom->value());
    m_view.setViewPosition(m_screen[0]->value(), m_screen[1]->value());
    m_view.setAxisPosition(m_distance[0]->value(), m_distance[1]->value(), m_distance[2]->value());
}

void ViewProperties::applyLamp()
{
    if (m_loading)
        return;
    const int n = selectedLamp();
    m_view.lamps().setPolar(n, dbxRadius->value(), dbxTheta->value() / degrees, dbxPhi->value() / degrees);
    m_view.lamps().setEnabled(n, chkEnabled->isChecked());
    m_view.lampsChanged();
}

void ViewProperties::on_btnAddLamp_clicked()
{
    if (!m_view.lamps().addLamp())
        return;
    const int n = m_view.lamps().count();
    cbxLamp->addItem(tr("Lamp") + QString::number(n));
    cbxLamp->setCurrentIndex(n - 1);
    m_view.lampsChanged();
}

void ViewProperties::on_btnDelete_clicked()
{
    const int selected = selectedLamp();
    if (!m_view.lamps().removeLamp(selected))
        return;
    // The later lamps moved up; the entries stay numbered 1 to n, so the last one goes.
    cbxLamp->removeItem(cbxLamp->count() - 1);
    cbxLamp->setCurrentIndex(std::min(selected, cbxLamp->count()) - 1);
    loadLamp();
    m_view.lampsChanged();
}

} // namespace Ui
