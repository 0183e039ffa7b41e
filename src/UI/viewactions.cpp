#include "UI/viewactions.h"

#include "UI/Dialogs/windowcolorsdialog.h"
#include "UI/documentdialogs.h"
#include "UI/glwidget.h"
#include "UI/viewproperties.h"

#include <QAction>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QShortcut>
#include <QStatusBar>

namespace Ui {

namespace ViewStatus {
namespace {
QString number(double value) { return QString::number(value, 'g', 6); }
} // namespace

QString rotation(double rx, double ry, double rz)
{
    return QStringLiteral("Rotation angles: X Axis = ") + number(rx) + QStringLiteral(" Y Axis = ") + number(ry) +
           QStringLiteral(" Z axis = ") + number(rz);
}

QString axisPosition(double ax, double ay, double az)
{
    return QStringLiteral("Volume position in relation to the axes: X = ") + number(ax) + QStringLiteral(" Y = ") +
           number(ay) + QStringLiteral(" Z = ") + number(az);
}

QString viewPosition(double vx, double vy)
{
    return QStringLiteral("Volume position in relation to the screen: X = ") + number(vx) + QStringLiteral(" Y = ") +
           number(vy);
}

QString zoom(double percent) { return QStringLiteral("Zoom = ") + number(percent); }

QString lampPosition(int lamp, double radius, double theta, double phi)
{
    return QStringLiteral("Lamp ") + QString::number(lamp) + QStringLiteral(" Position : Radius = ") + number(radius) +
           QStringLiteral(" Angle \u03b8 = ") + number(theta) + QStringLiteral(" Angle \u03c6 = ") + number(phi);
}
} // namespace ViewStatus

ViewActions *ViewActions::install(QMainWindow &window, GLWidget &view)
{
    auto *actions = new ViewActions(window, view);
    actions->connectActions();
    actions->connectStatusBar();
    actions->createShortcuts();
    return actions;
}

ViewActions::ViewActions(QMainWindow &window, GLWidget &view)
    : QObject(&window)
    , m_window(window)
    , m_view(view)
{
}

void ViewActions::connectActions()
{
    const auto find = [this](const char *name) {
        QAction *action = m_window.findChild<QAction *>(QLatin1String(name));
        if (action)
            action->setEnabled(true);
        return action;
    };
    const auto toggle = [&](const char *name, bool checked, void (GLWidget::*setter)(bool)) {
        if (QAction *action = find(name)) {
            action->setCheckable(true);
            action->setChecked(checked);
            connect(action, &QAction::toggled, &m_view, setter);
        }
    };
    toggle("actionGrid", m_view.renderGrid(), &GLWidget::setRenderGrid);
    toggle("actionSnap_to_Grid", m_view.snapToGrid(), &GLWidget::setSnapToGrid);
    toggle("actionRender_Objects", m_view.renderObjects(), &GLWidget::setRenderObjects);
    toggle("actionLighting", m_view.lighting(), &GLWidget::setLighting);
    toggle("actionRender_Object_Edges", m_view.renderObjectEdges(), &GLWidget::setRenderObjectEdges);
    toggle("actionShow_Axis", m_view.showAxes(), &GLWidget::setShowAxes);
    toggle("actionShow_Lights", m_view.showLamps(), &GLWidget::setShowLamps);
    // Flags that only take effect at the next frame still redraw, so the user sees the change.
    for (const char *name : {"actionGrid", "actionRender_Objects", "actionLighting", "actionRender_Object_Edges"}) {
        if (QAction *action = find(name))
            connect(action, &QAction::toggled, &m_view, &GLWidget::updateGL);
    }

    // The standard views reach the view through the window's own view mapper; only enable them here.
    for (const char *name : {"actionFront_View", "actionBack_view", "actionBottom_View", "actionTop_View",
                             "actionRight_View", "actionLeft_View"})
        find(name);

    if (QAction *fit = find("actionFit_to_Volumes"))
        connect(fit, &QAction::triggered, &m_view, [this] { m_view.fitToVolumes(); });

    const auto command = [&](const char *name, void (ViewActions::*slot)()) {
        if (QAction *action = find(name))
            connect(action, &QAction::triggered, this, slot);
    };
    command("actionSave_Image", &ViewActions::saveImage);
    command("actionGrid_Spacing", &ViewActions::changeGridSpacing);
    command("actionConfigure_Window_Colors", &ViewActions::changeWindowColors);
    command("actionSet_View", &ViewActions::setViewAndLighting);
    command("actionSet_Lighting", &ViewActions::setViewAndLighting);
}

void ViewActions::connectStatusBar()
{
    QStatusBar *bar = m_window.statusBar();
    const int timeout = 5000;
    connect(&m_view, &GLWidget::rotationChanged, bar,
            [bar](double rx, double ry, double rz) { bar->showMessage(ViewStatus::rotation(rx, ry, rz), timeout); });
    connect(&m_view, &GLWidget::axisPositionChanged, bar, [bar](double ax, double ay, double az) {
        bar->showMessage(ViewStatus::axisPosition(ax, ay, az), timeout);
    });
    connect(&m_view, &GLWidget::viewPositionChanged, bar,
            [bar](double vx, double vy) { bar->showMessage(ViewStatus::viewPosition(vx, vy), timeout); });
    connect(&m_view, &GLWidget::zoomChanged, bar,
            [bar](double percent) { bar->showMessage(ViewStatus::zoom(percent), timeout); });
    connect(&m_view, &GLWidget::lampPositionChanged, bar, [bar](int lamp, double r, double theta, double phi) {
        bar->showMessage(ViewStatus::lampPosition(lamp, r, theta, phi), timeout);
    });
}

void ViewActions::createShortcuts()
{
    const struct {
        Qt::Key key;
        void (GLWidget::*slot)();
    } keys[] = {{Qt::Key_Q, &GLWidget::increaseTranslateX}, {Qt::Key_W, &GLWidget::increaseTranslateY},
                {Qt::Key_E, &GLWidget::increaseTranslateZ}, {Qt::Key_A, &GLWidget::decreaseTranslateX},
                {Qt::Key_S, &GLWidget::decreaseTranslateY}, {Qt::Key_D, &GLWidget::decreaseTranslateZ},
                {Qt::Key_L, &GLWidget::swithActiveLamp}};
    for (const auto &key : keys) {
        auto *shortcut = new QShortcut(QKeySequence(key.key), &m_window);
        shortcut->setObjectName(QStringLiteral("shortcut") + QKeySequence(key.key).toString());
        connect(shortcut, &QShortcut::activated, &m_view, key.slot);
    }
}

void ViewActions::saveImage()
{
    const QString fileName = DocumentDialogs::askSaveFileName(&m_window, tr("Save Screen Image"), QString(),
                                                              tr("Images (*.png *.xpm *.jpg)"));
    if (fileName.isEmpty())
        return;
    QString error;
    if (!m_view.saveImage(fileName, &error))
        QMessageBox::warning(&m_window, tr("Save Screen Image"), error);
}

void ViewActions::changeGridSpacing()
{
    bool ok = false;
    const double spacing = QInputDialog::getDouble(&m_window, tr("Set Grid Spacing"), tr("Grid spacing"),
                                                   m_view.gridSpacing(), 0.001, 1.0e6, 3, &ok);
    if (ok)
        m_view.setGridSpacing(spacing);
}

void ViewActions::changeWindowColors()
{
    WindowColorsDialog dialog(&m_window);
    if (dialog.exec() == QDialog::Accepted)
        m_view.update();
}

void ViewActions::setViewAndLighting()
{
    ViewProperties dialog(m_view, &m_window);
    dialog.exec();
}

} // namespace Ui
